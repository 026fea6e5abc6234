// The service control manager of the in-memory machine. Services live where
// Windows keeps them, as keys under SYSTEM\CurrentControlSet\Services, so code
// that reads service keys sees what CreateServiceW made.
#include "common/platform/sim/sim_system_file_state.h"

namespace plat::sim {

namespace {

std::string DwordBytes(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

std::string StringBytes(const std::u16string& text, bool withNull = true)
{
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + (withNull ? 1 : 0)) * 2);
}

std::optional<DWORD> DwordOf(const std::optional<RegValue>& value)
{
    if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
    DWORD out = 0;
    std::copy_n(value->data.data(), 4, reinterpret_cast<char*>(&out));
    return out;
}

std::u16string TextOf(const std::optional<RegValue>& value)
{
    if (!value) return {};
    std::u16string text(reinterpret_cast<const char16_t*>(value->data.data()), value->data.size() / 2);
    const size_t end = text.find(u'\0');
    return end == std::u16string::npos ? text : text.substr(0, end);
}

// The entry of an open service-manager handle, or null for any other handle.
template <class State>
auto FindManagerHandle(const State& state, SC_HANDLE manager) -> const typename decltype(state.serviceHandles)::mapped_type*
{
    auto it = state.serviceHandles.find(reinterpret_cast<uintptr_t>(manager));
    return it == state.serviceHandles.end() || !it->second.manager ? nullptr : &it->second;
}

}  // namespace

bool SimMachine::ServiceRunning(const std::u16string& name) const
{
    std::lock_guard lock(m_lock);
    return m_pSysFiles->runningServices.count(FoldName(name)) != 0;
}

SC_HANDLE SimMachine::OpenSCManagerW(const char16_t* machine, const char16_t*, DWORD access)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("OpenSCManagerW")) {
        SetLastError(*failure);
        return nullptr;
    }
    if (machine != nullptr && machine[0] != u'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE handle = NewHandle();
    m_pSysFiles->serviceHandles[reinterpret_cast<uintptr_t>(handle)] = {true, access, {}};
    return reinterpret_cast<SC_HANDLE>(handle);
}

SC_HANDLE SimMachine::OpenServiceW(SC_HANDLE manager, const char16_t* name, DWORD access)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("OpenServiceW")) {
        SetLastError(*failure);
        return nullptr;
    }
    const auto* managerHandle = FindManagerHandle(*m_pSysFiles, manager);
    if (managerHandle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (name == nullptr || name[0] == u'\0') {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    const std::u16string key = std::u16string(SERVICES_KEY) + u"\\" + name;
    if (!RegKeyExists(HKEY_LOCAL_MACHINE, key)) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    HANDLE handle = NewHandle();
    m_pSysFiles->serviceHandles[reinterpret_cast<uintptr_t>(handle)] = {false, access, name};
    return reinterpret_cast<SC_HANDLE>(handle);
}

SC_HANDLE SimMachine::CreateServiceW(SC_HANDLE manager, const char16_t* name, const char16_t* displayName,
                                     DWORD access, DWORD serviceType, DWORD startType, DWORD errorControl,
                                     const char16_t* binaryPath, const char16_t*, DWORD* tagId, const char16_t*,
                                     const char16_t*, const char16_t*)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("CreateServiceW")) {
        SetLastError(*failure);
        return nullptr;
    }
    const auto* managerHandle = FindManagerHandle(*m_pSysFiles, manager);
    if (managerHandle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if ((managerHandle->access & SC_MANAGER_CREATE_SERVICE) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (name == nullptr || name[0] == u'\0' || binaryPath == nullptr || binaryPath[0] == u'\0') {
        SetLastError(name == nullptr || name[0] == u'\0' ? ERROR_INVALID_NAME : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::u16string key = std::u16string(SERVICES_KEY) + u"\\" + name;
    if (RegKeyExists(HKEY_LOCAL_MACHINE, key)) {
        SetLastError(ERROR_SERVICE_EXISTS);
        return nullptr;
    }
    SetRegValue(HKEY_LOCAL_MACHINE, key, u"Type", REG_DWORD, DwordBytes(serviceType));
    SetRegValue(HKEY_LOCAL_MACHINE, key, u"Start", REG_DWORD, DwordBytes(startType));
    SetRegValue(HKEY_LOCAL_MACHINE, key, u"ErrorControl", REG_DWORD, DwordBytes(errorControl));
    SetRegValue(HKEY_LOCAL_MACHINE, key, u"ImagePath", REG_EXPAND_SZ, StringBytes(binaryPath));
    if (displayName != nullptr) SetRegValue(HKEY_LOCAL_MACHINE, key, u"DisplayName", REG_SZ, StringBytes(displayName));
    if (tagId != nullptr) *tagId = 0;
    HANDLE handle = NewHandle();
    m_pSysFiles->serviceHandles[reinterpret_cast<uintptr_t>(handle)] = {false, access, name};
    return reinterpret_cast<SC_HANDLE>(handle);
}

BOOL SimMachine::StartServiceW(SC_HANDLE service, DWORD, const char16_t**)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("StartServiceW")) {
        SetLastError(*failure);
        return FALSE;
    }
    auto it = m_pSysFiles->serviceHandles.find(reinterpret_cast<uintptr_t>(service));
    if (it == m_pSysFiles->serviceHandles.end() || it->second.manager) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((it->second.access & SERVICE_START) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const std::u16string folded = FoldName(it->second.name);
    if (m_pSysFiles->runningServices.count(folded) != 0) {
        SetLastError(ERROR_SERVICE_ALREADY_RUNNING);
        return FALSE;
    }
    const std::u16string key = std::u16string(SERVICES_KEY) + u"\\" + it->second.name;
    if (!RegKeyExists(HKEY_LOCAL_MACHINE, key)) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return FALSE;
    }
    if (DwordOf(GetRegValue(HKEY_LOCAL_MACHINE, key, u"Start")) == SERVICE_DISABLED) {
        SetLastError(ERROR_SERVICE_DISABLED);
        return FALSE;
    }
    // A driver starts when its file is there and is an executable image.
    const std::u16string image = TextOf(GetRegValue(HKEY_LOCAL_MACHINE, key, u"ImagePath"));
    const FileNode* file = FindNode(NormalizeSimPath(image));
    if (file == nullptr || file->directory) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (file->content.compare(0, 2, "MZ") != 0) {
        SetLastError(193);  // ERROR_BAD_EXE_FORMAT
        return FALSE;
    }
    m_pSysFiles->runningServices.insert(folded);
    return TRUE;
}

BOOL SimMachine::CloseServiceHandle(SC_HANDLE handle)
{
    std::lock_guard lock(m_lock);
    if (m_pSysFiles->serviceHandles.erase(reinterpret_cast<uintptr_t>(handle)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // namespace plat::sim
