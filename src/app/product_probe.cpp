#include "app/product_probe.h"

#include <algorithm>
#include <string>

#include "common/platform/handles.h"

using plat::P;

void ProbeProduct()
{
    plat::UniqueRegKey key;
    DWORD disposition = 0;
    if (P().RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Qrest", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, key.Receive(), &disposition) != ERROR_SUCCESS) {
        return;
    }
    constexpr DWORD kPathChars = 261;
    char16_t installPath[kPathChars] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof installPath;
    if (P().RegQueryValueExW(key.Get(), u"Install Path", nullptr, &type, reinterpret_cast<BYTE*>(installPath), &size) !=
        ERROR_SUCCESS) {
        return;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return;
    // The stored data need not be terminated; never read past what was returned.
    const size_t chars = std::min<size_t>(size / sizeof(char16_t), kPathChars);
    std::u16string path(installPath, chars);
    if (const size_t end = path.find(u'\0'); end != std::u16string::npos) path.resize(end);
    if (path.empty()) return;
    path += u"\\qrest.exe";
    plat::UniqueFile file(P().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}
