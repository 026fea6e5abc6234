// Letter case of A to Z only, as file and registry names are compared here:
// the names looked for ("ctfmon.exe", "explorer.exe", ...) are plain ASCII.
#pragma once

#include <string>
#include <string_view>

inline char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

inline std::u16string LowerAscii(std::u16string text)
{
    for (char16_t& c : text) c = LowerAscii(c);
    return text;
}

// Whether needle occurs in text, A to Z matched without regard to case.
inline bool ContainsNoCase(std::u16string_view text, std::u16string_view needle)
{
    if (needle.size() > text.size()) return false;
    for (size_t start = 0; start + needle.size() <= text.size(); ++start) {
        size_t i = 0;
        while (i < needle.size() && LowerAscii(text[start + i]) == LowerAscii(needle[i])) ++i;
        if (i == needle.size()) return true;
    }
    return false;
}
