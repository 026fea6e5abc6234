// An in-memory Windows machine for tests. It implements the platform calls with
// Windows' semantics (status codes, last errors, share modes, dispositions) on
// its own registry and file system, records what the program asked the shell
// and windows to do, and can be told to fail a chosen call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/platform/platform.h"

namespace plat::sim {

struct RegValue {
    std::u16string name;
    DWORD type = REG_NONE;
    std::string data;
};

struct RegKeyNode {
    std::u16string name;
    // Folded name -> child; Windows enumerates subkeys in sorted order.
    std::map<std::u16string, std::shared_ptr<RegKeyNode>> subkeys;
    // Values enumerate in the order they were first set.
    std::vector<RegValue> values;
    bool deleted = false;
};

struct FileNode {
    std::u16string path;  // as created, for listings
    bool directory = false;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    std::string content;
    // Stamped with the machine's system time when the node is made.
    FILETIME created{};
    FILETIME written{};
};

struct ShellExecuteCall {
    std::u16string verb, file, parameters, directory;
    int show = 0;
};

struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every privilege the machine knows, none enabled: an administrator's token.
std::map<std::u16string, bool> AdministratorPrivileges();

class SimMachine : public IPlatform {
public:
    // A Windows XP machine with C:\WINDOWS, its system folder, the common
    // application-data folder and the program in C:\Program Files\Vexlo.
    SimMachine();
    ~SimMachine() override;

    // ---- set-up and inspection ----
    void SetAnsiCodePage(UINT codePage);  // 936 (GBK) or 1252
    void SetLocalTime(const SYSTEMTIME& time);
    void SetFolderPath(int csidl, const std::u16string& path);  // empty: Windows cannot name it
    void SetModuleFileName(const std::u16string& path);

    void AddDirectory(const std::u16string& path);  // with its parents
    void AddFile(const std::u16string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
    bool Exists(const std::u16string& path) const;
    std::optional<std::string> FileContent(const std::u16string& path) const;
    // Another process keeps the file open with this access and share mode.
    void HoldFileOpen(const std::u16string& path, DWORD access, DWORD shareMode);

    void SetRegValue(HKEY root, const std::u16string& subKey, const std::u16string& name, DWORD type,
                     const std::string& data);
    void SetRegString(HKEY root, const std::u16string& subKey, const std::u16string& name, const std::u16string& value);
    bool RegKeyExists(HKEY root, const std::u16string& subKey) const;
    std::optional<RegValue> GetRegValue(HKEY root, const std::u16string& subKey, const std::u16string& name) const;

    std::vector<ShellExecuteCall> ShellExecuteCalls() const;
    int RestartDialogCalls() const;
    // Called while the restart dialog would be showing (it blocks the run).
    void SetRestartDialogHook(std::function<void()> hook);
    std::vector<PostedMessage> PostedMessages() const;
    size_t OpenHandleCount() const;

    // The command line the program sees; by default the quoted program path alone.
    void SetCommandLine(const std::u16string& commandLine);
    // The process token is an administrator's: it holds every privilege the
    // machine knows, none enabled, unless told otherwise.
    void SetPrivilegeHeld(const std::u16string& name, bool held);
    bool PrivilegeEnabled(const std::u16string& name) const;

    // The next `times` calls of the named platform call fail with `error`
    // (returned as status by registry calls, set as last error by the others).
    void FailCall(const std::string& call, DWORD error, int times = 1);

    // ---- system-file repair: set-up and inspection ----
    // The body a URL serves; a handler is asked at every request (none: the
    // server answers with an error). Requests for other URLs fail.
    using HttpHandler = std::function<std::optional<std::string>()>;
    void ServeUrl(const std::u16string& url, const std::string& body);
    void ServeUrl(const std::u16string& url, HttpHandler handler);
    std::vector<std::u16string> DownloadRequests() const;
    // UTC; by default the local time read as UTC (the machine's zone is UTC).
    void SetSystemTime(const SYSTEMTIME& time);
    void SetFileTimes(const std::u16string& path, const FILETIME& created, const FILETIME& written);
    void SetTempPath(const std::u16string& path);         // with its trailing backslash
    void SetCurrentDirectory(const std::u16string& path);  // without one
    // A running process; its program file and modules are mapped images: they
    // can be read and moved but not written or deleted. Returns the process id.
    DWORD StartProcess(const std::u16string& exePath, const std::vector<std::u16string>& modules = {},
                       bool openable = true);
    bool ProcessRunning(DWORD processId) const;
    std::optional<UINT> ProcessExitCode(DWORD processId) const;
    bool ServiceRunning(const std::u16string& name) const;
    // Queued renames and deletions (MOVEFILE_DELAY_UNTIL_REBOOT) as from -> to
    // ("" for a deletion), in queue order.
    std::vector<std::pair<std::u16string, std::u16string>> PendingRenames() const;
    // A restart and the next logon: queued renames are carried out, processes
    // and services end, and each RunOnce value is recorded as a command run
    // at the logon and removed.
    void SimulateRestart();
    std::vector<std::u16string> LogonCommands() const;
    // ---- end of system-file repair ----

    // ---- system-file verification: set-up and inspection ----
    // What GetVersionExW reports; by default Windows XP SP3 (5.1.2600).
    void SetWindowsVersion(DWORD major, DWORD minor, DWORD build, WORD servicePackMajor, WORD servicePackMinor = 0);
    void SetSystemDefaultUILanguage(LANGID language);  // 2052 by default
    // A resource of the program file, found by FindResourceW(null, id, type).
    void SetResource(const std::u16string& type, WORD id, const std::string& data);
    // Calls of the Ex entry points that GetProcAddress gave out for "version.dll".
    int VersionInfoExCalls() const;
    // Libraries loaded with LoadLibraryW and not yet freed.
    int LoadedLibraryCount() const;
    // ---- end of system-file verification ----

    // ---- IThreadApi ----
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;
    void Sleep(DWORD milliseconds) override;

    // ---- IRegistryApi ----
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

    // ---- IFileApi ----
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

    // ---- IFolderApi ----
    HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, char16_t* path) override;
    DWORD GetModuleFileNameW(HMODULE module, char16_t* path, DWORD chars) override;

    // ---- IShellApi ----
    HINSTANCE ShellExecuteW(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                            const char16_t* directory, int show) override;
    int RestartDialog(HWND owner, const char16_t* prompt, DWORD returnCode) override;

    // ---- ITimeApi ----
    void GetLocalTime(SYSTEMTIME* time) override;

    // ---- ITextApi ----
    int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideChars, char* narrow,
                            int narrowBytes, const char* defaultChar, BOOL* usedDefault) override;
    int MultiByteToWideChar(UINT codePage, DWORD flags, const char* narrow, int narrowBytes, char16_t* wide,
                            int wideChars) override;

    // ---- IWindowApi ----
    BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // ---- IProcessTokenApi ----
    const char16_t* GetCommandLineW() override;
    HANDLE GetCurrentProcess() override;
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override;
    BOOL LookupPrivilegeValueW(const char16_t* systemName, const char16_t* name, LUID* luid) override;
    BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                               TOKEN_PRIVILEGES* previousState, DWORD* returnLength) override;

    // ---- system-file repair (sim_file_ops.cpp, sim_download.cpp, sim_services.cpp,
    // ---- sim_running_processes.cpp, sim_restart.cpp) ----
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

    // ---- system-file verification (sim_version.cpp) ----
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

private:
    struct OpenKey {
        std::shared_ptr<RegKeyNode> node;
        REGSAM access;
    };
    struct OpenFile {
        std::u16string key;  // folded path
        DWORD access;
        DWORD share;
        uint64_t position = 0;
    };

    std::optional<DWORD> Injected(const char* call);
    HANDLE NewHandle();
    // Registry internals.
    std::shared_ptr<RegKeyNode> RootNode(HKEY root) const;
    bool ResolveKey(HKEY key, std::shared_ptr<RegKeyNode>* node, REGSAM* access) const;
    std::shared_ptr<RegKeyNode> FindSubKey(std::shared_ptr<RegKeyNode> from, const std::u16string& path) const;
    std::shared_ptr<RegKeyNode> CreateSubKey(std::shared_ptr<RegKeyNode> from, const std::u16string& path,
                                             bool* created);
    // File-system internals.
    FileNode* FindNode(const std::u16string& key);
    const FileNode* FindNode(const std::u16string& key) const;
    bool ParentIsDirectory(const std::u16string& key) const;
    bool ShareAllows(const std::u16string& key, DWORD access, DWORD share) const;
    OpenFile* FindOpenFile(HANDLE file);
    // The checks ReadFile and WriteFile share: injected failure, handle, access.
    OpenFile* BeginTransfer(HANDLE file, const char* call, bool write, DWORD* transferred);
    // ---- system-file repair internals ----
    struct SystemFileState;  // sim_system_file_state.h
    void InitSystemFileState();
    FILETIME NowFileTime() const;
    // A program file or module of a running process.
    bool IsMappedImage(const std::u16string& key) const;
    bool CloseSystemFileHandle(HANDLE handle);
    size_t SystemFileHandleCount() const;
    // Moves a node and everything below it; no checks.
    void MoveNode(const std::u16string& fromKey, const std::u16string& toPath);
    // Deletes a file or a folder with its content, as far as it can; false when something stayed.
    bool DeleteTree(const std::u16string& key);

    mutable std::recursive_mutex m_lock;
    std::map<uintptr_t, std::shared_ptr<RegKeyNode>> m_regRoots;
    std::map<uintptr_t, OpenKey> m_openKeys;
    std::map<std::u16string, FileNode> m_files;  // folded path -> node
    std::map<uintptr_t, OpenFile> m_openFiles;
    std::vector<OpenFile> m_heldFiles;
    std::map<int, std::u16string> m_folders;
    std::u16string m_moduleFileName;
    SYSTEMTIME m_localTime{};
    UINT m_ansiCodePage = 936;
    uintptr_t m_nextHandle = 0x1000;
    std::map<std::string, std::pair<DWORD, int>> m_failures;
    std::vector<ShellExecuteCall> m_shellExecuteCalls;
    int m_restartDialogCalls = 0;
    std::function<void()> m_restartDialogHook;
    std::vector<PostedMessage> m_posted;
    std::u16string m_commandLine = u"\"C:\\Program Files\\Vexlo\\VexloRepair.exe\"";
    // Folded privilege name -> enabled; a name not in the map is not held.
    std::map<std::u16string, bool> m_privileges = AdministratorPrivileges();
    // Open token handle -> its access mask.
    std::map<uintptr_t, DWORD> m_openTokens;
    // Downloads, processes, services, searches, pending renames (system-file repair).
    std::shared_ptr<SystemFileState> m_pSysFiles;

    // ---- system-file verification internals (sim_version.cpp) ----
    struct VersionState;
    static std::shared_ptr<VersionState> NewVersionState();
    // The raw version resource of a file, or none with the last error set.
    std::optional<std::string> VersionResourceOf(const char16_t* path);
    UINT CopyFolder(int csidl, char16_t* buffer, UINT chars);
    static DWORD WINAPI ExSizeEntry(DWORD flags, const char16_t* path, DWORD* handle);
    static BOOL WINAPI ExInfoEntry(DWORD flags, const char16_t* path, DWORD handle, DWORD size, void* data);
    std::shared_ptr<VersionState> m_pVersion = NewVersionState();
};

// Case-folded, backslash-separated form of a path or registry name, the key
// under which the machine stores it.
std::u16string FoldName(const std::u16string& name);
std::u16string NormalizeSimPath(const std::u16string& path);
// The same path with unified separators but its own letter case.
std::u16string CleanSimPath(const std::u16string& path);
// A calendar time (read as UTC) as a file time; for setting up file times.
FILETIME SimFileTime(const SYSTEMTIME& time);

}  // namespace plat::sim
