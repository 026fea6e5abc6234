// The continuation switch in the process's command line.
#pragma once

#include <string_view>

namespace ui {

// With its leading blank, so that the program's own path or a word ending in
// "second_proc" directly after a quote does not count.
inline constexpr char16_t CONTINUATION_SWITCH[] = u" second_proc";

// Whether the switch stands anywhere in the line, in any letter case.
bool HasContinuationSwitch(std::u16string_view commandLine);

}  // namespace ui
