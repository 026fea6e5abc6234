// The platform layer: every Windows call of the system goes through IPlatform.
// The calls keep their Windows names and argument meanings; text is UTF-16 as
// char16_t. The real implementation forwards to Windows (win32/), the in-memory
// machine implements them for tests (sim/). Later areas add an interface here.
#pragma once

#include "common/platform/wintypes.h"

namespace plat {

// Last-error slot of the calling thread, and the few thread calls modules use.
class IThreadApi {
public:
    virtual ~IThreadApi() = default;
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD error) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
};

class IRegistryApi {
public:
    virtual ~IRegistryApi() = default;
    virtual LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access, HKEY* result) = 0;
    virtual LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD reserved, char16_t* className, DWORD options,
                                 REGSAM access, void* security, HKEY* result, DWORD* disposition) = 0;
    virtual LONG RegQueryValueExW(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data,
                                  DWORD* dataSize) = 0;
    virtual LONG RegSetValueExW(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data,
                                DWORD dataSize) = 0;
    virtual LONG RegDeleteValueW(HKEY key, const char16_t* name) = 0;
    // Deletes a key without subkeys.
    virtual LONG RegDeleteKeyW(HKEY key, const char16_t* subKey) = 0;
    virtual LONG RegEnumKeyW(HKEY key, DWORD index, char16_t* name, DWORD nameChars) = 0;
    virtual LONG RegEnumValueW(HKEY key, DWORD index, char16_t* name, DWORD* nameChars, DWORD* reserved, DWORD* type,
                               BYTE* data, DWORD* dataSize) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
};

class IFileApi {
public:
    virtual ~IFileApi() = default;
    virtual HANDLE CreateFileW(const char16_t* path, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                               DWORD flagsAndAttributes, HANDLE templateFile) = 0;
    virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) = 0;
    virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped) = 0;
    virtual DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) = 0;
    virtual DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) = 0;
    virtual BOOL SetEndOfFile(HANDLE file) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual DWORD GetFileAttributesW(const char16_t* path) = 0;
    virtual BOOL SetFileAttributesW(const char16_t* path, DWORD attributes) = 0;
    virtual BOOL DeleteFileW(const char16_t* path) = 0;
    virtual BOOL CreateDirectoryW(const char16_t* path, void* security) = 0;
    virtual BOOL RemoveDirectoryW(const char16_t* path) = 0;
};

class IFolderApi {
public:
    virtual ~IFolderApi() = default;
    // path receives at most MAX_PATH characters including the terminator.
    virtual HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, char16_t* path) = 0;
    virtual DWORD GetModuleFileNameW(HMODULE module, char16_t* path, DWORD chars) = 0;
};

class IShellApi {
public:
    virtual ~IShellApi() = default;
    virtual HINSTANCE ShellExecuteW(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                                    const char16_t* directory, int show) = 0;
    // SHELL32 export by ordinal 59.
    virtual int RestartDialog(HWND owner, const char16_t* prompt, DWORD returnCode) = 0;
};

class ITimeApi {
public:
    virtual ~ITimeApi() = default;
    virtual void GetLocalTime(SYSTEMTIME* time) = 0;
};

class ITextApi {
public:
    virtual ~ITextApi() = default;
    virtual int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideChars, char* narrow,
                                    int narrowBytes, const char* defaultChar, BOOL* usedDefault) = 0;
    virtual int MultiByteToWideChar(UINT codePage, DWORD flags, const char* narrow, int narrowBytes, char16_t* wide,
                                    int wideChars) = 0;
};

class IWindowApi {
public:
    virtual ~IWindowApi() = default;
    virtual BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

class IPlatform : public virtual IThreadApi,
                  public virtual IRegistryApi,
                  public virtual IFileApi,
                  public virtual IFolderApi,
                  public virtual IShellApi,
                  public virtual ITimeApi,
                  public virtual ITextApi,
                  public virtual IWindowApi {
public:
    ~IPlatform() override = default;
};

// The process-wide platform, set once at start-up (or by a test's ScopedPlatform).
IPlatform& P();
void InstallPlatform(IPlatform* platform);

class ScopedPlatform {
public:
    explicit ScopedPlatform(IPlatform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    IPlatform* m_pPrevious;
};

}  // namespace plat
