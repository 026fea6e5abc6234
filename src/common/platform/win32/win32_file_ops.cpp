// File moves, copies, listings and times: thin forwarding.
#include "common/platform/win32/win32_platform.h"

namespace plat {

namespace {
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* W(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
}  // namespace

BOOL Win32Platform::MoveFileW(const char16_t* from, const char16_t* to) { return ::MoveFileW(W(from), W(to)); }

BOOL Win32Platform::MoveFileExW(const char16_t* from, const char16_t* to, DWORD flags)
{
    return ::MoveFileExW(W(from), W(to), flags);
}

BOOL Win32Platform::CopyFileW(const char16_t* from, const char16_t* to, BOOL failIfExists)
{
    return ::CopyFileW(W(from), W(to), failIfExists);
}

HANDLE Win32Platform::FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data)
{
    return ::FindFirstFileW(W(pattern), data);
}

BOOL Win32Platform::FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) { return ::FindNextFileW(find, data); }
BOOL Win32Platform::FindClose(HANDLE find) { return ::FindClose(find); }

BOOL Win32Platform::GetFileAttributesExW(const char16_t* path, GET_FILEEX_INFO_LEVELS level, void* info)
{
    return ::GetFileAttributesExW(W(path), level, info);
}

BOOL Win32Platform::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite)
{
    return ::GetFileTime(file, creation, lastAccess, lastWrite);
}

DWORD Win32Platform::GetLongPathNameW(const char16_t* path, char16_t* longPath, DWORD chars)
{
    return ::GetLongPathNameW(W(path), W(longPath), chars);
}

DWORD Win32Platform::GetTempPathW(DWORD chars, char16_t* path) { return ::GetTempPathW(chars, W(path)); }
DWORD Win32Platform::GetCurrentDirectoryW(DWORD chars, char16_t* path) { return ::GetCurrentDirectoryW(chars, W(path)); }

int Win32Platform::SHFileOperationW(SHFILEOPSTRUCTW* operation) { return ::SHFileOperationW(operation); }

void Win32Platform::GetSystemTimeAsFileTime(FILETIME* time) { ::GetSystemTimeAsFileTime(time); }

}  // namespace plat
