// The simulated process: its command line and its access token's privileges.
#include <iterator>

#include "common/platform/sim/sim_machine.h"

namespace plat::sim {

namespace {

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

// The identifiers Windows gives the privileges on every system.
struct KnownPrivilege {
    const char16_t* foldedName;
    DWORD id;
};
constexpr KnownPrivilege kKnownPrivileges[] = {
    {u"sesecurityprivilege", 8},  {u"setakeownershipprivilege", 9}, {u"seloaddriverprivilege", 10},
    {u"sebackupprivilege", 17},   {u"serestoreprivilege", 18},      {u"seshutdownprivilege", 19},
    {u"sedebugprivilege", 20},    {u"sechangenotifyprivilege", 23},
};

const char16_t* FoldedNameOf(const LUID& luid)
{
    if (luid.HighPart != 0) return nullptr;
    for (const KnownPrivilege& known : kKnownPrivileges) {
        if (known.id == luid.LowPart) return known.foldedName;
    }
    return nullptr;
}

}  // namespace

std::map<std::u16string, bool> AdministratorPrivileges()
{
    std::map<std::u16string, bool> privileges;
    for (const KnownPrivilege& known : kKnownPrivileges) privileges.emplace(known.foldedName, false);
    return privileges;
}

void SimMachine::SetCommandLine(const std::u16string& commandLine)
{
    std::lock_guard lock(m_lock);
    m_commandLine = commandLine;
}

void SimMachine::SetPrivilegeHeld(const std::u16string& name, bool held)
{
    std::lock_guard lock(m_lock);
    if (held) {
        m_privileges.emplace(FoldName(name), false);
    } else {
        m_privileges.erase(FoldName(name));
    }
}

bool SimMachine::PrivilegeEnabled(const std::u16string& name) const
{
    std::lock_guard lock(m_lock);
    auto it = m_privileges.find(FoldName(name));
    return it != m_privileges.end() && it->second;
}

const char16_t* SimMachine::GetCommandLineW()
{
    std::lock_guard lock(m_lock);
    return m_commandLine.c_str();
}

HANDLE SimMachine::GetCurrentProcess() { return kCurrentProcess; }

BOOL SimMachine::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token)
{
    std::lock_guard lock(m_lock);
    if (token == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *token = nullptr;
    if (auto failure = Injected("OpenProcessToken")) {
        SetLastError(*failure);
        return FALSE;
    }
    if (process != kCurrentProcess) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *token = NewHandle();
    m_openTokens[reinterpret_cast<uintptr_t>(*token)] = access;
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL SimMachine::LookupPrivilegeValueW(const char16_t* systemName, const char16_t* name, LUID* luid)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("LookupPrivilegeValueW")) {
        SetLastError(*failure);
        return FALSE;
    }
    if (name == nullptr || luid == nullptr || (systemName != nullptr && systemName[0] != u'\0')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::u16string folded = FoldName(name);
    for (const KnownPrivilege& known : kKnownPrivileges) {
        if (folded == known.foldedName) {
            *luid = LUID{known.id, 0};
            SetLastError(NO_ERROR);
            return TRUE;
        }
    }
    SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return FALSE;
}

BOOL SimMachine::AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState, DWORD,
                                       TOKEN_PRIVILEGES* previousState, DWORD* returnLength)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("AdjustTokenPrivileges")) {
        SetLastError(*failure);
        return FALSE;
    }
    auto open = m_openTokens.find(reinterpret_cast<uintptr_t>(token));
    if (open == m_openTokens.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Asking for the previous state needs TOKEN_QUERY as well.
    if ((open->second & TOKEN_ADJUST_PRIVILEGES) == 0 ||
        (previousState != nullptr && (open->second & TOKEN_QUERY) == 0)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (returnLength != nullptr) *returnLength = 0;
    if (disableAll) {
        for (auto& [name, enabled] : m_privileges) enabled = false;
        SetLastError(NO_ERROR);
        return TRUE;
    }
    if (newState == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool allAssigned = true;
    for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
        // TOKEN_PRIVILEGES is declared with one entry; callers allocate more.
        const LUID_AND_ATTRIBUTES& entry = *(std::begin(newState->Privileges) + i);
        const char16_t* name = FoldedNameOf(entry.Luid);
        auto held = name != nullptr ? m_privileges.find(name) : m_privileges.end();
        if (held == m_privileges.end()) {
            allAssigned = false;
            continue;
        }
        held->second = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    SetLastError(allAssigned ? NO_ERROR : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

}  // namespace plat::sim
