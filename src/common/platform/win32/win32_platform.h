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

    const char16_t* GetCommandLineW() override;
    HANDLE GetCurrentProcess() override;
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override;
    BOOL LookupPrivilegeValueW(const char16_t* systemName, const char16_t* name, LUID* luid) override;
    BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                               TOKEN_PRIVILEGES* previousState, DWORD* returnLength) override;

    // ---- system-file repair (win32_file_ops.cpp, win32_download.cpp, win32_services.cpp,
    // ---- win32_processes.cpp) ----
    BOOL MoveFileW(const char16_t* from, const char16_t* to) override;
    BOOL MoveFileExW(const char16_t* from, const char16_t* to, DWORD flags) override;
    BOOL CopyFileW(const char16_t* from, const char16_t* to, BOOL failIfExists) override;
    HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data) override;
    BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) override;
    BOOL FindClose(HANDLE find) override;
    BOOL GetFileAttributesExW(const char16_t* path, GET_FILEEX_INFO_LEVELS level, void* info) override;
    BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) override;
    DWORD GetLongPathNameW(const char16_t* path, char16_t* longPath, DWORD chars) override;
    DWORD GetTempPathW(DWORD chars, char16_t* path) override;
    DWORD GetCurrentDirectoryW(DWORD chars, char16_t* path) override;

    HRESULT URLDownloadToFileW(const char16_t* url, const char16_t* fileName, DownloadCancelCheck cancel) override;

    SC_HANDLE OpenSCManagerW(const char16_t* machine, const char16_t* database, DWORD access) override;
    SC_HANDLE OpenServiceW(SC_HANDLE manager, const char16_t* name, DWORD access) override;
    SC_HANDLE CreateServiceW(SC_HANDLE manager, const char16_t* name, const char16_t* displayName, DWORD access,
                             DWORD serviceType, DWORD startType, DWORD errorControl, const char16_t* binaryPath,
                             const char16_t* loadOrderGroup, DWORD* tagId, const char16_t* dependencies,
                             const char16_t* account, const char16_t* password) override;
    BOOL StartServiceW(SC_HANDLE service, DWORD argCount, const char16_t** args) override;
    BOOL CloseServiceHandle(SC_HANDLE handle) override;

    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
    BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry) override;
    BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry) override;
    BOOL Module32FirstW(HANDLE snapshot, MODULEENTRY32W* entry) override;
    BOOL Module32NextW(HANDLE snapshot, MODULEENTRY32W* entry) override;
    HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) override;
    BOOL TerminateProcess(HANDLE process, UINT exitCode) override;
    DWORD GetModuleFileNameExW(HANDLE process, HMODULE module, char16_t* path, DWORD chars) override;

    int SHFileOperationW(SHFILEOPSTRUCTW* operation) override;

    void GetSystemTimeAsFileTime(FILETIME* time) override;
    // ---- end of system-file repair ----

    // ---- system-file verification (win32_version.cpp) ----
    BOOL GetVersionExW(OSVERSIONINFOW* info) override;
    LANGID GetSystemDefaultUILanguage() override;
    DWORD GetFileVersionInfoSizeW(const char16_t* path, DWORD* handle) override;
    BOOL GetFileVersionInfoW(const char16_t* path, DWORD handle, DWORD size, void* data) override;
    BOOL VerQueryValueW(const void* block, const char16_t* subBlock, void** buffer, UINT* length) override;
    HMODULE LoadLibraryW(const char16_t* name) override;
    FARPROC GetProcAddress(HMODULE module, const char* name) override;
    BOOL FreeLibrary(HMODULE module) override;
    HRSRC FindResourceW(HMODULE module, const char16_t* name, const char16_t* type) override;
    HGLOBAL LoadResource(HMODULE module, HRSRC resource) override;
    void* LockResource(HGLOBAL data) override;
    DWORD SizeofResource(HMODULE module, HRSRC resource) override;
    BOOL FreeResource(HGLOBAL data) override;
    UINT GetSystemDirectoryW(char16_t* buffer, UINT chars) override;
    UINT GetWindowsDirectoryW(char16_t* buffer, UINT chars) override;
    // ---- end of system-file verification ----
};

}  // namespace plat
