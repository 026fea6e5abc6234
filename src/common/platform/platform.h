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

// The process's own command line and access token. Token handles are closed
// with CloseHandle.
class IProcessTokenApi {
public:
    virtual ~IProcessTokenApi() = default;
    virtual const char16_t* GetCommandLineW() = 0;
    // The pseudo-handle of the current process; it is never closed.
    virtual HANDLE GetCurrentProcess() = 0;
    virtual BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) = 0;
    virtual BOOL LookupPrivilegeValueW(const char16_t* systemName, const char16_t* name, LUID* luid) = 0;
    // Succeeds also when a privilege is not held; GetLastError then says ERROR_NOT_ALL_ASSIGNED.
    virtual BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                                       TOKEN_PRIVILEGES* previousState, DWORD* returnLength) = 0;
};

// ---- system-file repair: file moves and listings, downloads, services,
// ---- running processes, shell file operations, system time ----

// Moves, copies, listings and times of files, and the folders that temporary
// files go to. Find handles are closed with FindClose.
class IFileOpsApi {
public:
    virtual ~IFileOpsApi() = default;
    virtual BOOL MoveFileW(const char16_t* from, const char16_t* to) = 0;
    // With MOVEFILE_DELAY_UNTIL_REBOOT the move is queued for the next start
    // (the source may be held by a running process); to null deletes it then.
    virtual BOOL MoveFileExW(const char16_t* from, const char16_t* to, DWORD flags) = 0;
    virtual BOOL CopyFileW(const char16_t* from, const char16_t* to, BOOL failIfExists) = 0;
    virtual HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data) = 0;
    virtual BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) = 0;
    virtual BOOL FindClose(HANDLE find) = 0;
    // Level GetFileExInfoStandard: info is a WIN32_FILE_ATTRIBUTE_DATA.
    virtual BOOL GetFileAttributesExW(const char16_t* path, GET_FILEEX_INFO_LEVELS level, void* info) = 0;
    virtual BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) = 0;
    // Results count characters: without the terminator on success, with it when the buffer is too small.
    virtual DWORD GetLongPathNameW(const char16_t* path, char16_t* longPath, DWORD chars) = 0;
    virtual DWORD GetTempPathW(DWORD chars, char16_t* path) = 0;
    virtual DWORD GetCurrentDirectoryW(DWORD chars, char16_t* path) = 0;
};

// Asked while a download runs; true ends it (the call then fails with E_ABORT).
using DownloadCancelCheck = bool (*)();

class IDownloadApi {
public:
    virtual ~IDownloadApi() = default;
    // URLDownloadToFileW; a non-null cancel check is asked at every progress
    // step, through the bind-status callback's OnProgress.
    virtual HRESULT URLDownloadToFileW(const char16_t* url, const char16_t* fileName, DownloadCancelCheck cancel) = 0;
};

class IServiceApi {
public:
    virtual ~IServiceApi() = default;
    virtual SC_HANDLE OpenSCManagerW(const char16_t* machine, const char16_t* database, DWORD access) = 0;
    virtual SC_HANDLE OpenServiceW(SC_HANDLE manager, const char16_t* name, DWORD access) = 0;
    virtual SC_HANDLE CreateServiceW(SC_HANDLE manager, const char16_t* name, const char16_t* displayName,
                                     DWORD access, DWORD serviceType, DWORD startType, DWORD errorControl,
                                     const char16_t* binaryPath, const char16_t* loadOrderGroup, DWORD* tagId,
                                     const char16_t* dependencies, const char16_t* account,
                                     const char16_t* password) = 0;
    virtual BOOL StartServiceW(SC_HANDLE service, DWORD argCount, const char16_t** args) = 0;
    virtual BOOL CloseServiceHandle(SC_HANDLE handle) = 0;
};

// Other running processes. Snapshot and process handles are closed with CloseHandle.
class IProcessApi {
public:
    virtual ~IProcessApi() = default;
    virtual HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) = 0;
    virtual BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry) = 0;
    virtual BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry) = 0;
    virtual BOOL Module32FirstW(HANDLE snapshot, MODULEENTRY32W* entry) = 0;
    virtual BOOL Module32NextW(HANDLE snapshot, MODULEENTRY32W* entry) = 0;
    virtual HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) = 0;
    virtual BOOL TerminateProcess(HANDLE process, UINT exitCode) = 0;
    // module null: the process's main program file.
    virtual DWORD GetModuleFileNameExW(HANDLE process, HMODULE module, char16_t* path, DWORD chars) = 0;
};

class IShellFileApi {
public:
    virtual ~IShellFileApi() = default;
    // 0 on success.
    virtual int SHFileOperationW(SHFILEOPSTRUCTW* operation) = 0;
};

class ISystemTimeApi {
public:
    virtual ~ISystemTimeApi() = default;
    // UTC, in 100-nanosecond steps since 1601, as file times are.
    virtual void GetSystemTimeAsFileTime(FILETIME* time) = 0;
};

// ---- end of system-file repair ----

// ---- system-file verification: Windows version and language, version
// ---- resources of files, libraries loaded at run time, the program's own
// ---- resources, the system folders ----

// An integer resource id in the form the resource calls take for a name.
inline const char16_t* IntResource(WORD id)
{
    return reinterpret_cast<const char16_t*>(static_cast<ULONG_PTR>(id));
}

class IVersionApi {
public:
    virtual ~IVersionApi() = default;
    // info->dwOSVersionInfoSize chooses the record: OSVERSIONINFOW or OSVERSIONINFOEXW.
    virtual BOOL GetVersionExW(OSVERSIONINFOW* info) = 0;
    virtual LANGID GetSystemDefaultUILanguage() = 0;
    // The version resource of a file. The Ex forms of Vista and later are
    // reached through LoadLibraryW("version.dll") and GetProcAddress.
    virtual DWORD GetFileVersionInfoSizeW(const char16_t* path, DWORD* handle) = 0;
    virtual BOOL GetFileVersionInfoW(const char16_t* path, DWORD handle, DWORD size, void* data) = 0;
    // String values report their length in characters, binary ones in bytes.
    virtual BOOL VerQueryValueW(const void* block, const char16_t* subBlock, void** buffer, UINT* length) = 0;
};

// The Ex forms of "version.dll" (Vista and later), as GetProcAddress gives them.
using GetFileVersionInfoSizeExWFn = DWORD(WINAPI*)(DWORD flags, const char16_t* path, DWORD* handle);
using GetFileVersionInfoExWFn = BOOL(WINAPI*)(DWORD flags, const char16_t* path, DWORD handle, DWORD size,
                                              void* data);

// Entry points that only later releases of Windows export.
class ILibraryApi {
public:
    virtual ~ILibraryApi() = default;
    virtual HMODULE LoadLibraryW(const char16_t* name) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, const char* name) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;
};

// Resources of the program file (module null).
class IResourceApi {
public:
    virtual ~IResourceApi() = default;
    virtual HRSRC FindResourceW(HMODULE module, const char16_t* name, const char16_t* type) = 0;
    virtual HGLOBAL LoadResource(HMODULE module, HRSRC resource) = 0;
    virtual void* LockResource(HGLOBAL data) = 0;
    virtual DWORD SizeofResource(HMODULE module, HRSRC resource) = 0;
    virtual BOOL FreeResource(HGLOBAL data) = 0;
};

class ISystemFolderApi {
public:
    virtual ~ISystemFolderApi() = default;
    // Results count characters: without the terminator on success, with it
    // when the buffer is too small (nothing is copied then).
    virtual UINT GetSystemDirectoryW(char16_t* buffer, UINT chars) = 0;
    virtual UINT GetWindowsDirectoryW(char16_t* buffer, UINT chars) = 0;
};

// ---- end of system-file verification ----

class IPlatform : public virtual IThreadApi,
                  public virtual IRegistryApi,
                  public virtual IFileApi,
                  public virtual IFolderApi,
                  public virtual IShellApi,
                  public virtual ITimeApi,
                  public virtual ITextApi,
                  public virtual IWindowApi,
                  public virtual IProcessTokenApi,
                  public virtual IFileOpsApi,
                  public virtual IDownloadApi,
                  public virtual IServiceApi,
                  public virtual IProcessApi,
                  public virtual IShellFileApi,
                  public virtual ISystemTimeApi,
                  public virtual IVersionApi,
                  public virtual ILibraryApi,
                  public virtual IResourceApi,
                  public virtual ISystemFolderApi {
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
