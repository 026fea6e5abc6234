// Running processes of the in-memory machine: snapshots with their module
// lists, opening and ending processes. Their program files and modules are
// mapped images, which the file calls treat as Windows treats loaded files.
#include <algorithm>

#include "common/platform/sim/sim_system_file_state.h"

namespace plat::sim {

namespace {

constexpr DWORD ERROR_BAD_LENGTH_ = 24;

std::u16string FileNameOf(const std::u16string& path)
{
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

template <size_t N>
void CopyText(const std::u16string& text, WCHAR (&out)[N])
{
    const size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), n, out);
    out[n] = 0;
}

HMODULE ModuleHandleOf(size_t index)
{
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x10000000u + 0x100000u * index));
}

}  // namespace

DWORD SimMachine::StartProcess(const std::u16string& exePath, const std::vector<std::u16string>& modules,
                               bool openable)
{
    std::lock_guard lock(m_lock);
    const DWORD id = m_pSysFiles->nextProcessId;
    m_pSysFiles->nextProcessId += 4;
    m_pSysFiles->processes.push_back({id, CleanSimPath(exePath), modules, openable, false});
    return id;
}

bool SimMachine::ProcessRunning(DWORD processId) const
{
    std::lock_guard lock(m_lock);
    return std::any_of(m_pSysFiles->processes.begin(), m_pSysFiles->processes.end(),
                       [&](const SystemFileState::Process& p) { return p.id == processId; });
}

std::optional<UINT> SimMachine::ProcessExitCode(DWORD processId) const
{
    std::lock_guard lock(m_lock);
    auto it = m_pSysFiles->exitCodes.find(processId);
    if (it == m_pSysFiles->exitCodes.end()) return std::nullopt;
    return it->second;
}

bool SimMachine::IsMappedImage(const std::u16string& key) const
{
    if (!m_pSysFiles) return false;
    for (const auto& process : m_pSysFiles->processes) {
        if (process.id == 0 || process.id == 4) continue;
        const std::u16string& exe = process.self ? m_moduleFileName : process.exePath;
        if (NormalizeSimPath(exe) == key) return true;
        for (const auto& module : process.modules) {
            if (NormalizeSimPath(module) == key) return true;
        }
    }
    return false;
}

HANDLE SimMachine::CreateToolhelp32Snapshot(DWORD flags, DWORD processId)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("CreateToolhelp32Snapshot")) {
        SetLastError(*failure);
        return INVALID_HANDLE_VALUE;
    }
    SystemFileState::Snapshot snapshot;
    const SystemFileState::Process* self = nullptr;
    for (const auto& process : m_pSysFiles->processes) {
        if (process.self) self = &process;
        if ((flags & TH32CS_SNAPPROCESS) == 0) continue;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        entry.th32ProcessID = process.id;
        entry.cntThreads = 1;
        CopyText(FileNameOf(process.self ? m_moduleFileName : process.exePath), entry.szExeFile);
        snapshot.processes.push_back(entry);
    }
    if ((flags & TH32CS_SNAPMODULE) != 0) {
        const SystemFileState::Process* target = self;
        if (processId != 0) {
            auto it = std::find_if(m_pSysFiles->processes.begin(), m_pSysFiles->processes.end(),
                                   [&](const SystemFileState::Process& p) { return p.id == processId; });
            target = it == m_pSysFiles->processes.end() ? nullptr : &*it;
        }
        if (target == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        if (!target->openable) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        std::vector<std::u16string> files{target->self ? m_moduleFileName : target->exePath};
        files.insert(files.end(), target->modules.begin(), target->modules.end());
        for (size_t i = 0; i < files.size(); ++i) {
            MODULEENTRY32W entry{};
            entry.dwSize = sizeof entry;
            entry.th32ModuleID = 1;
            entry.th32ProcessID = target->id;
            entry.hModule = ModuleHandleOf(i);
            entry.modBaseAddr = reinterpret_cast<BYTE*>(entry.hModule);
            CopyText(FileNameOf(files[i]), entry.szModule);
            CopyText(files[i], entry.szExePath);
            snapshot.modules.push_back(entry);
        }
    }
    HANDLE handle = NewHandle();
    m_pSysFiles->snapshots[reinterpret_cast<uintptr_t>(handle)] = std::move(snapshot);
    return handle;
}

BOOL SimMachine::Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry)
{
    std::lock_guard lock(m_lock);
    auto it = m_pSysFiles->snapshots.find(reinterpret_cast<uintptr_t>(snapshot));
    if (it == m_pSysFiles->snapshots.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    it->second.nextProcess = 0;
    return Process32NextW(snapshot, entry);
}

BOOL SimMachine::Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry)
{
    std::lock_guard lock(m_lock);
    auto it = m_pSysFiles->snapshots.find(reinterpret_cast<uintptr_t>(snapshot));
    if (it == m_pSysFiles->snapshots.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (entry == nullptr || entry->dwSize < sizeof(PROCESSENTRY32W)) {
        SetLastError(ERROR_BAD_LENGTH_);
        return FALSE;
    }
    auto& snap = it->second;
    if (snap.nextProcess >= snap.processes.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *entry = snap.processes[snap.nextProcess++];
    return TRUE;
}

BOOL SimMachine::Module32FirstW(HANDLE snapshot, MODULEENTRY32W* entry)
{
    std::lock_guard lock(m_lock);
    auto it = m_pSysFiles->snapshots.find(reinterpret_cast<uintptr_t>(snapshot));
    if (it == m_pSysFiles->snapshots.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    it->second.nextModule = 0;
    return Module32NextW(snapshot, entry);
}

BOOL SimMachine::Module32NextW(HANDLE snapshot, MODULEENTRY32W* entry)
{
    std::lock_guard lock(m_lock);
    auto it = m_pSysFiles->snapshots.find(reinterpret_cast<uintptr_t>(snapshot));
    if (it == m_pSysFiles->snapshots.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (entry == nullptr || entry->dwSize < sizeof(MODULEENTRY32W)) {
        SetLastError(ERROR_BAD_LENGTH_);
        return FALSE;
    }
    auto& snap = it->second;
    if (snap.nextModule >= snap.modules.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *entry = snap.modules[snap.nextModule++];
    return TRUE;
}

HANDLE SimMachine::OpenProcess(DWORD access, BOOL, DWORD processId)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("OpenProcess")) {
        SetLastError(*failure);
        return nullptr;
    }
    auto it = std::find_if(m_pSysFiles->processes.begin(), m_pSysFiles->processes.end(),
                           [&](const SystemFileState::Process& p) { return p.id == processId; });
    if (processId == 0 || it == m_pSysFiles->processes.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!it->openable) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE handle = NewHandle();
    m_pSysFiles->processHandles[reinterpret_cast<uintptr_t>(handle)] = {processId, access};
    return handle;
}

BOOL SimMachine::TerminateProcess(HANDLE process, UINT exitCode)
{
    std::lock_guard lock(m_lock);
    auto handle = m_pSysFiles->processHandles.find(reinterpret_cast<uintptr_t>(process));
    if (handle == m_pSysFiles->processHandles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((handle->second.access & PROCESS_TERMINATE) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto& list = m_pSysFiles->processes;
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const SystemFileState::Process& p) { return p.id == handle->second.id; });
    if (it == list.end()) {
        SetLastError(ERROR_ACCESS_DENIED);  // it has already ended
        return FALSE;
    }
    m_pSysFiles->exitCodes[it->id] = exitCode;
    list.erase(it);
    return TRUE;
}

DWORD SimMachine::GetModuleFileNameExW(HANDLE process, HMODULE module, char16_t* path, DWORD chars)
{
    std::lock_guard lock(m_lock);
    auto handle = m_pSysFiles->processHandles.find(reinterpret_cast<uintptr_t>(process));
    if (handle == m_pSysFiles->processHandles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if ((handle->second.access & (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ)) !=
        (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    auto it = std::find_if(m_pSysFiles->processes.begin(), m_pSysFiles->processes.end(),
                           [&](const SystemFileState::Process& p) { return p.id == handle->second.id; });
    if (it == m_pSysFiles->processes.end() || path == nullptr || chars == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<std::u16string> files{it->self ? m_moduleFileName : it->exePath};
    files.insert(files.end(), it->modules.begin(), it->modules.end());
    size_t index = 0;
    while (module != nullptr && index < files.size() && ModuleHandleOf(index) != module) ++index;
    if (index >= files.size()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // Too long a path is cut to the buffer and terminated.
    const std::u16string& file = files[index];
    const size_t n = std::min<size_t>(file.size(), chars - 1);
    std::copy_n(file.begin(), n, path);
    path[n] = u'\0';
    return static_cast<DWORD>(n);
}

}  // namespace plat::sim
