#include "common/platform/sim/sim_machine.h"

#include <algorithm>

namespace plat::sim {

namespace {
thread_local DWORD t_lastError = 0;
}

std::u16string FoldName(const std::u16string& name)
{
    std::u16string folded = name;
    for (char16_t& c : folded) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c == u'/') c = u'\\';
    }
    return folded;
}

std::u16string CleanSimPath(const std::u16string& path)
{
    std::u16string out;
    // "\\?\C:\..." names the same file as "C:\...".
    const size_t start = path.starts_with(u"\\\\?\\") ? 4 : 0;
    for (char16_t c : std::u16string_view(path).substr(start)) {
        if (c == u'/') c = u'\\';
        if (c == u'\\' && !out.empty() && out.back() == u'\\') continue;
        out += c;
    }
    while (out.size() > 2 && out.back() == u'\\') out.pop_back();
    if (out.size() == 3 && out[1] == u':' && out[2] == u'\\') out.pop_back();
    return out;
}

std::u16string NormalizeSimPath(const std::u16string& path) { return FoldName(CleanSimPath(path)); }

SimMachine::SimMachine()
{
    for (uintptr_t root : {0x80000000u, 0x80000001u, 0x80000002u, 0x80000003u}) {
        auto node = std::make_shared<RegKeyNode>();
        m_regRoots[static_cast<uintptr_t>(static_cast<LONG_PTR>(static_cast<LONG>(root)))] = node;
    }
    m_localTime = SYSTEMTIME{2010, 6, 6, 5, 9, 3, 7, 0};
    AddDirectory(u"C:\\WINDOWS\\system32\\drivers");
    AddDirectory(u"C:\\Documents and Settings\\All Users\\Application Data");
    AddDirectory(u"C:\\Program Files\\Vexlo");
    m_folders[CSIDL_WINDOWS] = u"C:\\WINDOWS";
    m_folders[CSIDL_SYSTEM] = u"C:\\WINDOWS\\system32";
    m_folders[CSIDL_PROGRAM_FILES] = u"C:\\Program Files";
    m_folders[CSIDL_COMMON_APPDATA] = u"C:\\Documents and Settings\\All Users\\Application Data";
    m_moduleFileName = u"C:\\Program Files\\Vexlo\\VexloRepair.exe";
    AddFile(m_moduleFileName, "MZ");
    bool created = false;
    CreateSubKey(RootNode(HKEY_LOCAL_MACHINE), u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", &created);
    InitSystemFileState();
}

SimMachine::~SimMachine() = default;

void SimMachine::SetAnsiCodePage(UINT codePage)
{
    std::lock_guard lock(m_lock);
    m_ansiCodePage = codePage;
}

void SimMachine::SetLocalTime(const SYSTEMTIME& time)
{
    std::lock_guard lock(m_lock);
    m_localTime = time;
}

void SimMachine::SetFolderPath(int csidl, const std::u16string& path)
{
    std::lock_guard lock(m_lock);
    if (path.empty()) {
        m_folders.erase(csidl);
    } else {
        m_folders[csidl] = path;
    }
}

void SimMachine::SetModuleFileName(const std::u16string& path)
{
    std::lock_guard lock(m_lock);
    m_moduleFileName = path;
}

std::vector<ShellExecuteCall> SimMachine::ShellExecuteCalls() const
{
    std::lock_guard lock(m_lock);
    return m_shellExecuteCalls;
}

int SimMachine::RestartDialogCalls() const
{
    std::lock_guard lock(m_lock);
    return m_restartDialogCalls;
}

std::vector<PostedMessage> SimMachine::PostedMessages() const
{
    std::lock_guard lock(m_lock);
    return m_posted;
}

size_t SimMachine::OpenHandleCount() const
{
    std::lock_guard lock(m_lock);
    return m_openKeys.size() + m_openFiles.size() + m_openTokens.size() + SystemFileHandleCount();
}

void SimMachine::FailCall(const std::string& call, DWORD error, int times)
{
    std::lock_guard lock(m_lock);
    m_failures[call] = {error, times};
}

std::optional<DWORD> SimMachine::Injected(const char* call)
{
    auto it = m_failures.find(call);
    if (it == m_failures.end() || it->second.second <= 0) return std::nullopt;
    const DWORD error = it->second.first;
    if (--it->second.second == 0) m_failures.erase(it);
    return error;
}

HANDLE SimMachine::NewHandle()
{
    m_nextHandle += 4;
    return reinterpret_cast<HANDLE>(m_nextHandle);
}

DWORD SimMachine::GetLastError() { return t_lastError; }

void SimMachine::SetLastError(DWORD error) { t_lastError = error; }

void SimMachine::Sleep(DWORD) {}

HRESULT SimMachine::SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, char16_t* path)
{
    std::lock_guard lock(m_lock);
    if (path == nullptr) return E_INVALIDARG;
    path[0] = u'\0';
    if (auto failure = Injected("SHGetFolderPathW")) return static_cast<HRESULT>(0x80070000u | *failure);
    auto it = m_folders.find(csidl & 0xFF);
    if (it == m_folders.end()) return E_FAIL;
    const size_t n = std::min<size_t>(it->second.size(), MAX_PATH - 1);
    std::copy_n(it->second.begin(), n, path);
    path[n] = u'\0';
    return S_OK;
}

DWORD SimMachine::GetModuleFileNameW(HMODULE module, char16_t* path, DWORD chars)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("GetModuleFileNameW")) {
        SetLastError(*failure);
        return 0;
    }
    if (module != nullptr || path == nullptr || chars == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Vista and later: a short buffer is filled, terminated and reported as full.
    if (m_moduleFileName.size() >= chars) {
        std::copy_n(m_moduleFileName.begin(), chars - 1, path);
        path[chars - 1] = u'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return chars;
    }
    std::copy(m_moduleFileName.begin(), m_moduleFileName.end(), path);
    path[m_moduleFileName.size()] = u'\0';
    SetLastError(NO_ERROR);
    return static_cast<DWORD>(m_moduleFileName.size());
}

HINSTANCE SimMachine::ShellExecuteW(HWND, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                                    const char16_t* directory, int show)
{
    std::lock_guard lock(m_lock);
    auto text = [](const char16_t* s) { return s == nullptr ? std::u16string() : std::u16string(s); };
    m_shellExecuteCalls.push_back({text(verb), text(file), text(parameters), text(directory), show});
    // Values above 32 mean success; 2 is SE_ERR_FNF, as for a full path that does not exist.
    const std::u16string target = text(file);
    const bool fullPath = target.size() > 2 && target[1] == u':';
    if (Injected("ShellExecuteW") || (fullPath && m_files.find(NormalizeSimPath(target)) == m_files.end())) {
        return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(2));
    }
    return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(42));
}

void SimMachine::SetRestartDialogHook(std::function<void()> hook)
{
    std::lock_guard lock(m_lock);
    m_restartDialogHook = std::move(hook);
}

int SimMachine::RestartDialog(HWND, const char16_t*, DWORD)
{
    std::function<void()> hook;
    {
        std::lock_guard lock(m_lock);
        ++m_restartDialogCalls;
        hook = m_restartDialogHook;
    }
    if (hook) hook();
    return 0;  // the user declined
}

void SimMachine::GetLocalTime(SYSTEMTIME* time)
{
    std::lock_guard lock(m_lock);
    if (time != nullptr) *time = m_localTime;
}

BOOL SimMachine::PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("PostMessageW")) {
        SetLastError(*failure);
        return FALSE;
    }
    m_posted.push_back({window, message, wParam, lParam});
    return TRUE;
}

}  // namespace plat::sim
