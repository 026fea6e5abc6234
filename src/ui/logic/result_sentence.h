// The outcome sentence of the result dialog.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// "用户终止，" or "扫描完成，", then the outcome, then "客服QQ:" with the number
// and one blank; the static control wraps it.
std::u16string BuildResultSentence(bool stoppedByUser, bool foundProblem, std::u16string_view supportQq);

}  // namespace ui
