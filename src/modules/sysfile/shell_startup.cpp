#include "modules/sysfile/shell_startup.h"

#include <algorithm>
#include <string>

#include "common/platform/handles.h"
#include "modules/sysfile/ascii_case.h"
#include "modules/sysfile/system_folders.h"
#include "run/stop_request.h"

namespace {

constexpr const char16_t* WINLOGON_KEY = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr DWORD VALUE_CHARS = 512;

bool OpenWinlogon(plat::UniqueRegKey& key)
{
    return plat::P().RegOpenKeyExW(HKEY_LOCAL_MACHINE, WINLOGON_KEY, 0, KEY_ALL_ACCESS, key.Receive()) ==
           ERROR_SUCCESS;
}

// A string value of at most 512 characters; empty when it is missing, too
// long or not a string.
std::u16string ReadString(HKEY key, const char16_t* name)
{
    char16_t buffer[VALUE_CHARS] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof buffer;
    if (plat::P().RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    std::u16string text(buffer, std::min<DWORD>(size, sizeof buffer) / sizeof(char16_t));
    const size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
    return text;
}

bool ValueNames(const char16_t* name, std::u16string_view program)
{
    plat::UniqueRegKey key;
    if (!OpenWinlogon(key)) return false;
    return ContainsNoCase(ReadString(key.Get(), name), program);
}

void WriteString(const char16_t* name, const std::u16string& value)
{
    plat::UniqueRegKey key;
    if (!OpenWinlogon(key)) return;
    plat::P().RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
}

}  // namespace

int32_t IsShellStartupHealthy()
{
    // Only the presence of the two names counts: programs appended to either value pass.
    return ValueNames(u"Userinit", u"userinit.exe") && ValueNames(u"Shell", u"explorer.exe") ? 1 : 0;
}

void RepairShellStartup()
{
    // A stopped run gives up here, before anything is changed.
    if (RepairStopRequested()) return;
    std::u16string systemFolder;
    GetSystemFolder(systemFolder);
    WriteString(u"Userinit", systemFolder + u"userinit.exe");
    std::u16string windowsFolder;
    GetWindowsFolder(windowsFolder);
    WriteString(u"Shell", windowsFolder + u"explorer.exe");
}
