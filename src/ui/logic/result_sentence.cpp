#include "ui/logic/result_sentence.h"

namespace ui {

std::u16string BuildResultSentence(bool stoppedByUser, bool foundProblem, std::u16string_view supportQq)
{
    std::u16string sentence = stoppedByUser ? u"用户终止，" : u"扫描完成，";
    sentence += foundProblem ? u"已修复，详情查看扫描日志。" : u"未发现异常。";
    sentence += u"客服QQ:";
    sentence += supportQq;
    sentence += u' ';
    return sentence;
}

}  // namespace ui
