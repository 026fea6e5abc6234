// Conversions between UTF-16 and the calling thread's ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Characters the code page cannot represent become its default character.
std::string WideToAnsi(std::u16string_view wide);
std::u16string AnsiToWide(std::string_view narrow);

}  // namespace text
