// Code-page conversion of the in-memory machine: UTF-8 by hand, the ANSI code
// pages (936, 1252) one character at a time through iconv, so unmappable
// characters become the default character as Windows does.
#include <iconv.h>

#include <cstring>
#include <string>

#include "common/platform/sim/sim_machine.h"

namespace plat::sim {

namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (Valid()) iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts one whole unit; false when iconv cannot map it completely.
    bool Convert(const char* in, size_t inBytes, std::string* out)
    {
        if (!Valid()) return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char* inPtr = const_cast<char*>(in);
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(m_cd, &inPtr, &inBytes, &outPtr, &outLeft) == static_cast<size_t>(-1) || inBytes != 0) return false;
        out->assign(buffer, sizeof buffer - outLeft);
        return true;
    }

private:
    iconv_t m_cd;
};

const char* IconvName(UINT codePage)
{
    switch (codePage) {
    case 936: return "CP936";
    case 1252: return "CP1252";
    default: return nullptr;
    }
}

void AppendUtf8(char32_t cp, std::string* out)
{
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (cp >> 18));
        *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(char32_t cp, std::u16string* out)
{
    if (cp < 0x10000) {
        *out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        *out += static_cast<char16_t>(0xD800 + (cp >> 10));
        *out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

// Decodes UTF-16 into code points; a lone surrogate becomes U+FFFD.
std::u32string DecodeUtf16(const char16_t* wide, size_t count)
{
    std::u32string points;
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            points += static_cast<char32_t>(0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            points += U'\uFFFD';
        } else {
            points += c;
        }
    }
    return points;
}

std::u16string DecodeUtf8(const unsigned char* s, size_t n)
{
    std::u16string out;
    size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= n + (extra == 0 ? 1 : 0)) {
            if (extra != 0) {
                out += u'\uFFFD';
                ++i;
                continue;
            }
        }
        char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + static_cast<size_t>(k) >= n || (s[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        AppendUtf16(cp, &out);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

int SimMachine::WideCharToMultiByte(UINT codePage, DWORD, const char16_t* wide, int wideChars, char* narrow,
                                    int narrowBytes, const char* defaultChar, BOOL* usedDefault)
{
    UINT cp = codePage;
    {
        std::lock_guard lock(m_lock);
        if (auto failure = Injected("WideCharToMultiByte")) {
            SetLastError(*failure);
            return 0;
        }
        if (cp == CP_ACP || cp == CP_THREAD_ACP) cp = m_ansiCodePage;
    }
    if (wide == nullptr || wideChars == 0 || wideChars < -1 || narrowBytes < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = wideChars == -1 ? std::char_traits<char16_t>::length(wide) + 1 : static_cast<size_t>(wideChars);
    if (usedDefault != nullptr) *usedDefault = FALSE;
    std::string out;
    const std::u32string points = DecodeUtf16(wide, count);
    if (cp == CP_UTF8) {
        for (char32_t p : points) AppendUtf8(p, &out);
    } else {
        const char* name = IconvName(cp);
        if (name == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        Iconv conv(name, "UTF-16LE");
        for (char32_t p : points) {
            std::u16string unit;
            AppendUtf16(p, &unit);
            std::string bytes;
            if (p < 0x80) {
                out += static_cast<char>(p);
            } else if (p != U'\uFFFD' &&
                       conv.Convert(reinterpret_cast<const char*>(unit.data()), unit.size() * 2, &bytes) &&
                       !bytes.empty()) {
                out += bytes;
            } else {
                out += defaultChar != nullptr ? *defaultChar : '?';
                if (usedDefault != nullptr) *usedDefault = TRUE;
            }
        }
    }
    if (narrowBytes == 0) return static_cast<int>(out.size());
    if (narrow == nullptr || out.size() > static_cast<size_t>(narrowBytes)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(narrow, out.data(), out.size());
    return static_cast<int>(out.size());
}

int SimMachine::MultiByteToWideChar(UINT codePage, DWORD, const char* narrow, int narrowBytes, char16_t* wide,
                                    int wideChars)
{
    UINT cp = codePage;
    {
        std::lock_guard lock(m_lock);
        if (auto failure = Injected("MultiByteToWideChar")) {
            SetLastError(*failure);
            return 0;
        }
        if (cp == CP_ACP || cp == CP_THREAD_ACP) cp = m_ansiCodePage;
    }
    if (narrow == nullptr || narrowBytes == 0 || narrowBytes < -1 || wideChars < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t count = narrowBytes == -1 ? std::strlen(narrow) + 1 : static_cast<size_t>(narrowBytes);
    const auto* bytes = reinterpret_cast<const unsigned char*>(narrow);
    std::u16string out;
    if (cp == CP_UTF8) {
        out = DecodeUtf8(bytes, count);
    } else {
        const char* name = IconvName(cp);
        if (name == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        Iconv conv("UTF-16LE", name);
        for (size_t i = 0; i < count;) {
            const unsigned char b = bytes[i];
            size_t unit = 1;
            if (cp == 936 && b >= 0x81 && b <= 0xFE) unit = i + 1 < count ? 2 : 0;
            std::string converted;
            if (b < 0x80) {
                out += static_cast<char16_t>(b);
                ++i;
                continue;
            }
            if (unit != 0 && conv.Convert(narrow + i, unit, &converted) && converted.size() >= 2) {
                for (size_t k = 0; k + 1 < converted.size(); k += 2) {
                    out += static_cast<char16_t>(static_cast<unsigned char>(converted[k]) |
                                                 (static_cast<unsigned char>(converted[k + 1]) << 8));
                }
                i += unit;
            } else {
                // 1252's five undefined bytes keep their value; anything else unreadable becomes '?'.
                out += cp == 1252 ? static_cast<char16_t>(b) : u'?';
                i += unit == 0 ? 1 : unit;
            }
        }
    }
    if (wideChars == 0) return static_cast<int>(out.size());
    if (wide == nullptr || out.size() > static_cast<size_t>(wideChars)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(out.begin(), out.end(), wide);
    return static_cast<int>(out.size());
}

}  // namespace plat::sim
