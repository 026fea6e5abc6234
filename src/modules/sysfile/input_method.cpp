#include "modules/sysfile/input_method.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/platform/handles.h"
#include "modules/sysfile/ascii_case.h"
#include "modules/sysfile/platform_key.h"
#include "modules/sysfile/system_folders.h"
#include "modules/sysfile/windows_version.h"
#include "run/stop_request.h"

namespace {

constexpr const char16_t* CTF_KEY = u"Software\\Microsoft\\CTF";
constexpr const char16_t* MSUTB_KEY = u"Software\\Microsoft\\CTF\\MSUTB";
constexpr const char16_t* LANGBAR_KEY = u"Software\\Microsoft\\CTF\\LangBar";
constexpr const char16_t* DISABLE_TIM_VALUE = u"Disable Thread Input Manager";

constexpr DWORD TEMP_PATH_CHARS = 512;
constexpr DWORD TEMP_PATH_LIMIT = 400;

std::optional<DWORD> ReadNumber(HKEY key, const char16_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (plat::P().RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

// The number a value of a current-user key holds; none when the key does not
// open or the value cannot be read.
std::optional<DWORD> ReadUserNumber(const char16_t* subKey, REGSAM access, const char16_t* name)
{
    plat::UniqueRegKey key;
    if (plat::P().RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, access, key.Receive()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return ReadNumber(key.Get(), name);
}

// The temporary folder's IMEFIX.REG; the bare name (the current directory)
// when the folder is unknown or too long.
std::u16string ImeFixPath()
{
    std::vector<char16_t> buffer(TEMP_PATH_CHARS, u'\0');
    const DWORD n = plat::P().GetTempPathW(TEMP_PATH_CHARS, buffer.data());
    if (n == 0 || n > TEMP_PATH_LIMIT) return u"IMEFIX.REG";
    std::u16string path(buffer.data(), n);
    if (path.back() != u'\\') path += u'\\';
    return path + u"IMEFIX.REG";
}

}  // namespace

DWORD FindCtfmonProcess()
{
    plat::IPlatform& p = plat::P();
    plat::UniqueHandle snapshot(p.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) return 0;
    DWORD found = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = p.Process32FirstW(snapshot.Get(), &entry); more; more = p.Process32NextW(snapshot.Get(), &entry)) {
        plat::UniqueHandle process(p.OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
        if (!process.Valid()) continue;
        char16_t path[MAX_PATH] = {};
        const DWORD n = p.GetModuleFileNameExW(process.Get(), nullptr, path, MAX_PATH);
        if (n != 0 && ContainsNoCase(std::u16string_view(path, std::min<DWORD>(n, MAX_PATH - 1)), u"ctfmon.exe")) {
            found = entry.th32ProcessID;
        }
    }
    return found;
}

int32_t IsInputMethodHealthy()
{
    int32_t healthy = 1;
    // Windows Vista starts the input method without the host program.
    const WindowsVersion version = ReadWindowsVersion();
    if ((version.major < 6 || (version.major == 6 && version.minor == 1)) && FindCtfmonProcess() == 0) healthy = 0;

    if (ReadUserNumber(CTF_KEY, KEY_ALL_ACCESS, DISABLE_TIM_VALUE) == 1u) healthy = 0;
    if (ReadUserNumber(MSUTB_KEY, KEY_READ, u"ShowDeskBand") != 1u) healthy = 0;
    if (ReadUserNumber(LANGBAR_KEY, KEY_READ, u"ShowStatus") != 4u) return 0;
    return healthy;
}

void RepairInputMethod()
{
    // A stopped run gives up here, before anything is changed.
    if (RepairStopRequested()) return;
    plat::IPlatform& p = plat::P();
    if (const DWORD running = FindCtfmonProcess()) {
        plat::UniqueHandle process(p.OpenProcess(PROCESS_ALL_ACCESS, FALSE, running));
        if (process.Valid()) p.TerminateProcess(process.Get(), 0);
    }
    {
        plat::UniqueRegKey ctf;
        if (p.RegOpenKeyExW(HKEY_CURRENT_USER, CTF_KEY, 0, KEY_ALL_ACCESS, ctf.Receive()) == ERROR_SUCCESS) {
            const DWORD zero = 0;
            p.RegSetValueExW(ctf.Get(), DISABLE_TIM_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero),
                             sizeof zero);
        }
    }
    const std::u16string regFile = ImeFixPath();
    WriteBinResource(IDR_IMEFIX_REG, regFile);
    const std::u16string parameters = u"/s \"" + regFile + u"\"";
    p.ShellExecuteW(nullptr, nullptr, u"regedit.exe", parameters.c_str(), nullptr, SW_HIDE);
    // Started at once: the import need not have finished.
    std::u16string host;
    GetSystemFolder(host);
    host += u"ctfmon.exe";
    p.ShellExecuteW(nullptr, nullptr, host.c_str(), nullptr, nullptr, SW_SHOW);
}
