// Process snapshots and other processes: thin forwarding.
#include "common/platform/win32/win32_platform.h"

#include <psapi.h>

namespace plat {

HANDLE Win32Platform::CreateToolhelp32Snapshot(DWORD flags, DWORD processId)
{
    return ::CreateToolhelp32Snapshot(flags, processId);
}

BOOL Win32Platform::Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry) { return ::Process32FirstW(snapshot, entry); }
BOOL Win32Platform::Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry) { return ::Process32NextW(snapshot, entry); }
BOOL Win32Platform::Module32FirstW(HANDLE snapshot, MODULEENTRY32W* entry) { return ::Module32FirstW(snapshot, entry); }
BOOL Win32Platform::Module32NextW(HANDLE snapshot, MODULEENTRY32W* entry) { return ::Module32NextW(snapshot, entry); }

HANDLE Win32Platform::OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId)
{
    return ::OpenProcess(access, inheritHandle, processId);
}

BOOL Win32Platform::TerminateProcess(HANDLE process, UINT exitCode) { return ::TerminateProcess(process, exitCode); }

DWORD Win32Platform::GetModuleFileNameExW(HANDLE process, HMODULE module, char16_t* path, DWORD chars)
{
    return ::GetModuleFileNameExW(process, module, reinterpret_cast<wchar_t*>(path), chars);
}

}  // namespace plat
