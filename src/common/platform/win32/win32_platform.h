// The real platform: thin forwarding to the Windows API. No module logic here.
#pragma once

#include "common/platform/platform.h"

namespace plat {

class Win32Platform : public IPlatform {
public:
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;
    void Sleep(DWORD milliseconds) override;

    LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access, HKEY* result) override;
    LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD reserved, char16_t* className, DWORD options,
                         REGSAM access, void* security, HKEY* result, DWORD* disposition) override;
    LONG RegQueryValueExW(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data,
                          DWORD* dataSize) override;
    LONG RegSetValueExW(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data,
                        DWORD dataSize) override;
    LONG RegDeleteValueW(HKEY key, const char16_t* name) override;
    LONG RegDeleteKeyW(HKEY key, const char16_t* subKey) override;
    LONG RegEnumKeyW(HKEY key, DWORD index, char16_t* name, DWORD nameChars) override;
    LONG RegEnumValueW(HKEY key, DWORD index, char16_t* name, DWORD* nameChars, DWORD* reserved, DWORD* type,
                       BYTE* data, DWORD* dataSize) override;
    LONG RegCloseKey(HKEY key) override;

    HANDLE CreateFileW(const char16_t* path, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                       DWORD flagsAndAttributes, HANDLE templateFile) override;
    BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) override;
    BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped) override;
    DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) override;
    DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) override;
    BOOL SetEndOfFile(HANDLE file) override;
    BOOL CloseHandle(HANDLE handle) override;
    DWORD GetFileAttributesW(const char16_t* path) override;
    BOOL SetFileAttributesW(const char16_t* path, DWORD attributes) override;
    BOOL DeleteFileW(const char16_t* path) override;
    BOOL CreateDirectoryW(const char16_t* path, void* security) override;
    BOOL RemoveDirectoryW(const char16_t* path) override;

    HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, char16_t* path) override;
    DWORD GetModuleFileNameW(HMODULE module, char16_t* path, DWORD chars) override;

    HINSTANCE ShellExecuteW(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                            const char16_t* directory, int show) override;
    int RestartDialog(HWND owner, const char16_t* prompt, DWORD returnCode) override;

    void GetLocalTime(SYSTEMTIME* time) override;

    int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideChars, char* narrow,
                            int narrowBytes, const char* defaultChar, BOOL* usedDefault) override;
    int MultiByteToWideChar(UINT codePage, DWORD flags, const char* narrow, int narrowBytes, char16_t* wide,
                            int wideChars) override;

    BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace plat
