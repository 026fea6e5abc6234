#include "common/platform/win32/win32_platform.h"

namespace plat {

const char16_t* Win32Platform::GetCommandLineW() { return reinterpret_cast<const char16_t*>(::GetCommandLineW()); }

HANDLE Win32Platform::GetCurrentProcess() { return ::GetCurrentProcess(); }

BOOL Win32Platform::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token)
{
    return ::OpenProcessToken(process, access, token);
}

BOOL Win32Platform::LookupPrivilegeValueW(const char16_t* systemName, const char16_t* name, LUID* luid)
{
    return ::LookupPrivilegeValueW(reinterpret_cast<const wchar_t*>(systemName), reinterpret_cast<const wchar_t*>(name),
                                   luid);
}

BOOL Win32Platform::AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState,
                                          DWORD bufferLength, TOKEN_PRIVILEGES* previousState, DWORD* returnLength)
{
    return ::AdjustTokenPrivileges(token, disableAll, newState, bufferLength, previousState, returnLength);
}

}  // namespace plat
