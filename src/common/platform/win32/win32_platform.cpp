#include "common/platform/win32/win32_platform.h"

#include <shellapi.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text is passed to Windows as is");

namespace plat {

namespace {
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* W(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
}  // namespace

DWORD Win32Platform::GetLastError() { return ::GetLastError(); }
void Win32Platform::SetLastError(DWORD error) { ::SetLastError(error); }
void Win32Platform::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

LONG Win32Platform::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access, HKEY* result)
{
    return ::RegOpenKeyExW(key, W(subKey), options, access, result);
}

LONG Win32Platform::RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD reserved, char16_t* className,
                                    DWORD options, REGSAM access, void* security, HKEY* result, DWORD* disposition)
{
    return ::RegCreateKeyExW(key, W(subKey), reserved, W(className), options, access,
                             static_cast<SECURITY_ATTRIBUTES*>(security), result, disposition);
}

LONG Win32Platform::RegQueryValueExW(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data,
                                     DWORD* dataSize)
{
    return ::RegQueryValueExW(key, W(name), reserved, type, data, dataSize);
}

LONG Win32Platform::RegSetValueExW(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data,
                                   DWORD dataSize)
{
    return ::RegSetValueExW(key, W(name), reserved, type, data, dataSize);
}

LONG Win32Platform::RegDeleteValueW(HKEY key, const char16_t* name) { return ::RegDeleteValueW(key, W(name)); }
LONG Win32Platform::RegDeleteKeyW(HKEY key, const char16_t* subKey) { return ::RegDeleteKeyW(key, W(subKey)); }

LONG Win32Platform::RegEnumKeyW(HKEY key, DWORD index, char16_t* name, DWORD nameChars)
{
    return ::RegEnumKeyW(key, index, W(name), nameChars);
}

LONG Win32Platform::RegEnumValueW(HKEY key, DWORD index, char16_t* name, DWORD* nameChars, DWORD* reserved,
                                  DWORD* type, BYTE* data, DWORD* dataSize)
{
    return ::RegEnumValueW(key, index, W(name), nameChars, reserved, type, data, dataSize);
}

LONG Win32Platform::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }

HANDLE Win32Platform::CreateFileW(const char16_t* path, DWORD access, DWORD shareMode, void* security,
                                  DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile)
{
    return ::CreateFileW(W(path), access, shareMode, static_cast<SECURITY_ATTRIBUTES*>(security), disposition,
                         flagsAndAttributes, templateFile);
}

BOOL Win32Platform::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped)
{
    return ::ReadFile(file, buffer, toRead, read, static_cast<OVERLAPPED*>(overlapped));
}

BOOL Win32Platform::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped)
{
    return ::WriteFile(file, buffer, toWrite, written, static_cast<OVERLAPPED*>(overlapped));
}

DWORD Win32Platform::GetFileSize(HANDLE file, DWORD* sizeHigh) { return ::GetFileSize(file, sizeHigh); }

DWORD Win32Platform::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method)
{
    return ::SetFilePointer(file, distance, distanceHigh, method);
}

BOOL Win32Platform::SetEndOfFile(HANDLE file) { return ::SetEndOfFile(file); }
BOOL Win32Platform::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }
DWORD Win32Platform::GetFileAttributesW(const char16_t* path) { return ::GetFileAttributesW(W(path)); }

BOOL Win32Platform::SetFileAttributesW(const char16_t* path, DWORD attributes)
{
    return ::SetFileAttributesW(W(path), attributes);
}

BOOL Win32Platform::DeleteFileW(const char16_t* path) { return ::DeleteFileW(W(path)); }

BOOL Win32Platform::CreateDirectoryW(const char16_t* path, void* security)
{
    return ::CreateDirectoryW(W(path), static_cast<SECURITY_ATTRIBUTES*>(security));
}

BOOL Win32Platform::RemoveDirectoryW(const char16_t* path) { return ::RemoveDirectoryW(W(path)); }

HRESULT Win32Platform::SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, char16_t* path)
{
    return ::SHGetFolderPathW(owner, csidl, token, flags, W(path));
}

DWORD Win32Platform::GetModuleFileNameW(HMODULE module, char16_t* path, DWORD chars)
{
    return ::GetModuleFileNameW(module, W(path), chars);
}

HINSTANCE Win32Platform::ShellExecuteW(HWND owner, const char16_t* verb, const char16_t* file,
                                       const char16_t* parameters, const char16_t* directory, int show)
{
    return ::ShellExecuteW(owner, W(verb), W(file), W(parameters), W(directory), show);
}

int Win32Platform::RestartDialog(HWND owner, const char16_t* prompt, DWORD returnCode)
{
    using RestartDialogFn = int(WINAPI*)(HWND, const wchar_t*, DWORD);
    HMODULE shell32 = ::GetModuleHandleW(L"shell32.dll");
    if (shell32 == nullptr) return 0;
    auto fn = reinterpret_cast<RestartDialogFn>(
        reinterpret_cast<void*>(::GetProcAddress(shell32, MAKEINTRESOURCEA(59))));
    if (fn == nullptr) return 0;
    return fn(owner, W(prompt), returnCode);
}

void Win32Platform::GetLocalTime(SYSTEMTIME* time) { ::GetLocalTime(time); }

int Win32Platform::WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideChars, char* narrow,
                                       int narrowBytes, const char* defaultChar, BOOL* usedDefault)
{
    return ::WideCharToMultiByte(codePage, flags, W(wide), wideChars, narrow, narrowBytes, defaultChar, usedDefault);
}

int Win32Platform::MultiByteToWideChar(UINT codePage, DWORD flags, const char* narrow, int narrowBytes,
                                       char16_t* wide, int wideChars)
{
    return ::MultiByteToWideChar(codePage, flags, narrow, narrowBytes, W(wide), wideChars);
}

BOOL Win32Platform::PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(window, message, wParam, lParam);
}

}  // namespace plat
