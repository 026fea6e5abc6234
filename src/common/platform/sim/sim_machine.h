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
    // The process token holds SeDebugPrivilege and SeShutdownPrivilege, none enabled, unless told otherwise.
    void SetPrivilegeHeld(const std::u16string& name, bool held);
    bool PrivilegeEnabled(const std::u16string& name) const;

    // The next `times` calls of the named platform call fail with `error`
    // (returned as status by registry calls, set as last error by the others).
    void FailCall(const std::string& call, DWORD error, int times = 1);

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
    std::map<std::u16string, bool> m_privileges = {{u"sedebugprivilege", false}, {u"seshutdownprivilege", false}};
    // Open token handle -> its access mask.
    std::map<uintptr_t, DWORD> m_openTokens;
};

// Case-folded, backslash-separated form of a path or registry name, the key
// under which the machine stores it.
std::u16string FoldName(const std::u16string& name);
std::u16string NormalizeSimPath(const std::u16string& path);
// The same path with unified separators but its own letter case.
std::u16string CleanSimPath(const std::u16string& path);

}  // namespace plat::sim
