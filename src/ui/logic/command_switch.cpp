#include "ui/logic/command_switch.h"

#include <algorithm>

namespace ui {

namespace {

// The switch is ASCII, so folding ASCII letters is the whole of case-insensitive matching.
char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

bool HasContinuationSwitch(std::u16string_view commandLine)
{
    const std::u16string_view pattern = CONTINUATION_SWITCH;
    const auto found = std::search(commandLine.begin(), commandLine.end(), pattern.begin(), pattern.end(),
                                   [](char16_t a, char16_t b) { return FoldAscii(a) == FoldAscii(b); });
    return found != commandLine.end();
}

}  // namespace ui
