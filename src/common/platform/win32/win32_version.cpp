// Windows version and language, version resources, run-time libraries, the
// program's resources and the system folders: thin forwarding.
#include "common/platform/win32/win32_platform.h"

namespace plat {

namespace {
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* W(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
}  // namespace

BOOL Win32Platform::GetVersionExW(OSVERSIONINFOW* info) { return ::GetVersionExW(info); }
LANGID Win32Platform::GetSystemDefaultUILanguage() { return ::GetSystemDefaultUILanguage(); }

DWORD Win32Platform::GetFileVersionInfoSizeW(const char16_t* path, DWORD* handle)
{
    return ::GetFileVersionInfoSizeW(W(path), handle);
}

BOOL Win32Platform::GetFileVersionInfoW(const char16_t* path, DWORD handle, DWORD size, void* data)
{
    return ::GetFileVersionInfoW(W(path), handle, size, data);
}

BOOL Win32Platform::VerQueryValueW(const void* block, const char16_t* subBlock, void** buffer, UINT* length)
{
    return ::VerQueryValueW(block, W(subBlock), buffer, length);
}

HMODULE Win32Platform::LoadLibraryW(const char16_t* name) { return ::LoadLibraryW(W(name)); }
FARPROC Win32Platform::GetProcAddress(HMODULE module, const char* name) { return ::GetProcAddress(module, name); }
BOOL Win32Platform::FreeLibrary(HMODULE module) { return ::FreeLibrary(module); }

HRSRC Win32Platform::FindResourceW(HMODULE module, const char16_t* name, const char16_t* type)
{
    return ::FindResourceW(module, W(name), W(type));
}

HGLOBAL Win32Platform::LoadResource(HMODULE module, HRSRC resource) { return ::LoadResource(module, resource); }
void* Win32Platform::LockResource(HGLOBAL data) { return ::LockResource(data); }
DWORD Win32Platform::SizeofResource(HMODULE module, HRSRC resource) { return ::SizeofResource(module, resource); }
BOOL Win32Platform::FreeResource(HGLOBAL data) { return ::FreeResource(data); }

UINT Win32Platform::GetSystemDirectoryW(char16_t* buffer, UINT chars)
{
    return ::GetSystemDirectoryW(W(buffer), chars);
}

UINT Win32Platform::GetWindowsDirectoryW(char16_t* buffer, UINT chars)
{
    return ::GetWindowsDirectoryW(W(buffer), chars);
}

}  // namespace plat
