#include "common/text/ansi.h"

#include <climits>

#include "common/platform/platform.h"

namespace text {

std::string WideToAnsi(std::u16string_view wide)
{
    if (wide.empty() || wide.size() > INT_MAX / 4) return {};
    const int wideChars = static_cast<int>(wide.size());
    const int needed = plat::P().WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), wideChars, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string narrow(static_cast<size_t>(needed), '\0');
    const int written =
        plat::P().WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), wideChars, narrow.data(), needed, nullptr, nullptr);
    if (written <= 0) return {};
    narrow.resize(static_cast<size_t>(written));
    return narrow;
}

std::u16string AnsiToWide(std::string_view narrow)
{
    if (narrow.empty() || narrow.size() > INT_MAX) return {};
    const int bytes = static_cast<int>(narrow.size());
    const int needed = plat::P().MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), bytes, nullptr, 0);
    if (needed <= 0) return {};
    std::u16string wide(static_cast<size_t>(needed), u'\0');
    const int written = plat::P().MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), bytes, wide.data(), needed);
    if (written <= 0) return {};
    wide.resize(static_cast<size_t>(written));
    return wide;
}

}  // namespace text
