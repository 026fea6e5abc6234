// Service control manager: thin forwarding.
#include "common/platform/win32/win32_platform.h"

namespace plat {

namespace {
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
}  // namespace

SC_HANDLE Win32Platform::OpenSCManagerW(const char16_t* machine, const char16_t* database, DWORD access)
{
    return ::OpenSCManagerW(W(machine), W(database), access);
}

SC_HANDLE Win32Platform::OpenServiceW(SC_HANDLE manager, const char16_t* name, DWORD access)
{
    return ::OpenServiceW(manager, W(name), access);
}

SC_HANDLE Win32Platform::CreateServiceW(SC_HANDLE manager, const char16_t* name, const char16_t* displayName,
                                        DWORD access, DWORD serviceType, DWORD startType, DWORD errorControl,
                                        const char16_t* binaryPath, const char16_t* loadOrderGroup, DWORD* tagId,
                                        const char16_t* dependencies, const char16_t* account,
                                        const char16_t* password)
{
    return ::CreateServiceW(manager, W(name), W(displayName), access, serviceType, startType, errorControl,
                            W(binaryPath), W(loadOrderGroup), tagId, W(dependencies), W(account), W(password));
}

BOOL Win32Platform::StartServiceW(SC_HANDLE service, DWORD argCount, const char16_t** args)
{
    return ::StartServiceW(service, argCount, reinterpret_cast<const wchar_t**>(args));
}

BOOL Win32Platform::CloseServiceHandle(SC_HANDLE handle) { return ::CloseServiceHandle(handle); }

}  // namespace plat
