// The machine's Windows version and language, the version resources of its
// files (read from the PE images they hold), "version.dll" loaded at run time,
// the program's resources and the system folders.
#include <algorithm>
#include <cstring>
#include <map>

#include "common/platform/sim/sim_machine.h"
#include "common/platform/sim/sim_pe_image.h"

namespace plat::sim {

struct SimMachine::VersionState {
    DWORD major = 5, minor = 1, build = 2600;
    WORD servicePackMajor = 3, servicePackMinor = 0;
    LANGID uiLanguage = 2052;
    // Type key -> name key -> data; node-based, so handles stay valid.
    std::map<std::u16string, std::map<std::u16string, std::string>> resources;
    int loadedLibraries = 0;
    int exCalls = 0;
};

namespace {

// Where "version.dll" is mapped; any value that no other handle takes.
HMODULE const kVersionModule = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x77C00000));

// FindResourceW's form of a name: "#id" for an integer resource, upper-case text otherwise.
std::u16string ResourceKey(const char16_t* name)
{
    if (IS_INTRESOURCE(name)) {
        const auto id = static_cast<unsigned>(reinterpret_cast<uintptr_t>(name));
        std::u16string digits;
        for (unsigned v = id;; v /= 10) {
            digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
            if (v < 10) break;
        }
        return u"#" + digits;
    }
    std::u16string key(name);
    for (char16_t& c : key) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return key;
}

std::u16string BaseName(const std::u16string& path)
{
    const size_t slash = path.find_last_of(u"\\/");
    return FoldName(slash == std::u16string::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::shared_ptr<SimMachine::VersionState> SimMachine::NewVersionState() { return std::make_shared<VersionState>(); }

void SimMachine::SetWindowsVersion(DWORD major, DWORD minor, DWORD build, WORD servicePackMajor,
                                   WORD servicePackMinor)
{
    std::lock_guard lock(m_lock);
    m_pVersion->major = major;
    m_pVersion->minor = minor;
    m_pVersion->build = build;
    m_pVersion->servicePackMajor = servicePackMajor;
    m_pVersion->servicePackMinor = servicePackMinor;
}

void SimMachine::SetSystemDefaultUILanguage(LANGID language)
{
    std::lock_guard lock(m_lock);
    m_pVersion->uiLanguage = language;
}

void SimMachine::SetResource(const std::u16string& type, WORD id, const std::string& data)
{
    std::lock_guard lock(m_lock);
    m_pVersion->resources[ResourceKey(type.c_str())][ResourceKey(IntResource(id))] = data;
}

int SimMachine::VersionInfoExCalls() const
{
    std::lock_guard lock(m_lock);
    return m_pVersion->exCalls;
}

int SimMachine::LoadedLibraryCount() const
{
    std::lock_guard lock(m_lock);
    return m_pVersion->loadedLibraries;
}

BOOL SimMachine::GetVersionExW(OSVERSIONINFOW* info)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("GetVersionExW")) {
        SetLastError(*failure);
        return FALSE;
    }
    if (info == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const VersionState& v = *m_pVersion;
    info->dwMajorVersion = v.major;
    info->dwMinorVersion = v.minor;
    info->dwBuildNumber = v.build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), u'\0');
    if (v.servicePackMajor != 0) {
        const std::u16string csd =
            u"Service Pack " + std::u16string(1, static_cast<char16_t>(u'0' + v.servicePackMajor % 10));
        std::copy(csd.begin(), csd.end(), info->szCSDVersion);
    }
    if (size == sizeof(OSVERSIONINFOEXW)) {
        auto* ex = reinterpret_cast<OSVERSIONINFOEXW*>(info);
        ex->wServicePackMajor = v.servicePackMajor;
        ex->wServicePackMinor = v.servicePackMinor;
        ex->wSuiteMask = 0x0100;  // VER_SUITE_SINGLEUSERTS, as a workstation answers
        ex->wProductType = 1;     // VER_NT_WORKSTATION
        ex->wReserved = 0;
    }
    return TRUE;
}

LANGID SimMachine::GetSystemDefaultUILanguage()
{
    std::lock_guard lock(m_lock);
    return m_pVersion->uiLanguage;
}

std::optional<std::string> SimMachine::VersionResourceOf(const char16_t* path)
{
    if (path == nullptr || path[0] == u'\0') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return std::nullopt;
    }
    const std::u16string key = NormalizeSimPath(path);
    const FileNode* node = FindNode(key);
    if (node == nullptr) {
        SetLastError(ParentIsDirectory(key) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    if (node->directory) {
        SetLastError(ERROR_ACCESS_DENIED);
        return std::nullopt;
    }
    // The image is mapped for reading, as LoadLibraryEx with LOAD_LIBRARY_AS_DATAFILE does.
    if (!ShareAllows(key, GENERIC_READ, FILE_SHARE_READ)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return std::nullopt;
    }
    VersionResourceLookup lookup = FindVersionResource(node->content);
    if (!lookup.resource) {
        SetLastError(lookup.error);
        return std::nullopt;
    }
    return lookup.resource;
}

DWORD SimMachine::GetFileVersionInfoSizeW(const char16_t* path, DWORD* handle)
{
    std::lock_guard lock(m_lock);
    if (handle != nullptr) *handle = 0;
    if (auto failure = Injected("GetFileVersionInfoSizeW")) {
        SetLastError(*failure);
        return 0;
    }
    const std::optional<std::string> resource = VersionResourceOf(path);
    if (!resource) return 0;
    SetLastError(NO_ERROR);
    return static_cast<DWORD>(resource->size());
}

BOOL SimMachine::GetFileVersionInfoW(const char16_t* path, DWORD, DWORD size, void* data)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("GetFileVersionInfoW")) {
        SetLastError(*failure);
        return FALSE;
    }
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::optional<std::string> resource = VersionResourceOf(path);
    if (!resource) return FALSE;
    // Windows copies what fits. The copy's own length is cut to what was
    // copied, so that VerQueryValueW, which sees only the block, stays inside it.
    const size_t copied = std::min<size_t>(size, resource->size());
    std::memcpy(data, resource->data(), copied);
    auto* bytes = static_cast<unsigned char*>(data);
    if (copied >= 2 && static_cast<size_t>(bytes[0] | bytes[1] << 8) > copied) {
        bytes[0] = static_cast<unsigned char>(copied & 0xff);
        bytes[1] = static_cast<unsigned char>((copied >> 8) & 0xff);
    }
    SetLastError(NO_ERROR);
    return TRUE;
}

BOOL SimMachine::VerQueryValueW(const void* block, const char16_t* subBlock, void** buffer, UINT* length)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("VerQueryValueW")) {
        SetLastError(*failure);
        return FALSE;
    }
    if (block == nullptr || subBlock == nullptr || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* bytes = static_cast<const unsigned char*>(block);
    const size_t blockLength = static_cast<size_t>(bytes[0] | bytes[1] << 8);
    const void* value = nullptr;
    UINT found = 0;
    if (!QueryVersionValue(block, blockLength, subBlock, &value, &found)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    *buffer = const_cast<void*>(value);
    if (length != nullptr) *length = found;
    return TRUE;
}

DWORD WINAPI SimMachine::ExSizeEntry(DWORD, const char16_t* path, DWORD* handle)
{
    auto* machine = dynamic_cast<SimMachine*>(&P());
    if (machine == nullptr) return 0;
    {
        std::lock_guard lock(machine->m_lock);
        ++machine->m_pVersion->exCalls;
    }
    return machine->GetFileVersionInfoSizeW(path, handle);
}

BOOL WINAPI SimMachine::ExInfoEntry(DWORD, const char16_t* path, DWORD handle, DWORD size, void* data)
{
    auto* machine = dynamic_cast<SimMachine*>(&P());
    if (machine == nullptr) return FALSE;
    {
        std::lock_guard lock(machine->m_lock);
        ++machine->m_pVersion->exCalls;
    }
    return machine->GetFileVersionInfoW(path, handle, size, data);
}

HMODULE SimMachine::LoadLibraryW(const char16_t* name)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("LoadLibraryW")) {
        SetLastError(*failure);
        return nullptr;
    }
    const std::u16string base = name == nullptr ? std::u16string() : BaseName(name);
    if (base != u"version.dll" && base != u"version") {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++m_pVersion->loadedLibraries;
    return kVersionModule;
}

FARPROC SimMachine::GetProcAddress(HMODULE module, const char* name)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("GetProcAddress")) {
        SetLastError(*failure);
        return nullptr;
    }
    if (module != kVersionModule || m_pVersion->loadedLibraries == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Only the Ex forms are handed out: Windows Vista added them, earlier
    // releases do not export them; everything else is called directly.
    const bool exForms = m_pVersion->major >= 6;
    const std::string wanted = name == nullptr ? std::string() : std::string(name);
    if (exForms && wanted == "GetFileVersionInfoSizeExW") {
        GetFileVersionInfoSizeExWFn entry = &SimMachine::ExSizeEntry;
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(entry));
    }
    if (exForms && wanted == "GetFileVersionInfoExW") {
        GetFileVersionInfoExWFn entry = &SimMachine::ExInfoEntry;
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(entry));
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL SimMachine::FreeLibrary(HMODULE module)
{
    std::lock_guard lock(m_lock);
    if (module != kVersionModule || m_pVersion->loadedLibraries == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    --m_pVersion->loadedLibraries;
    return TRUE;
}

HRSRC SimMachine::FindResourceW(HMODULE module, const char16_t* name, const char16_t* type)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("FindResourceW")) {
        SetLastError(*failure);
        return nullptr;
    }
    auto& resources = m_pVersion->resources;
    if (module != nullptr || resources.empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    if (name == nullptr || type == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto byType = resources.find(ResourceKey(type));
    if (byType == resources.end()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    auto byName = byType->second.find(ResourceKey(name));
    if (byName == byType->second.end()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(&byName->second);
}

namespace {

// The data of a handle that FindResourceW gave out, or null for any other value.
const std::string* ResourceData(const std::map<std::u16string, std::map<std::u16string, std::string>>& resources,
                                const void* handle)
{
    for (const auto& [type, names] : resources) {
        for (const auto& [name, data] : names) {
            if (static_cast<const void*>(&data) == handle) return &data;
        }
    }
    return nullptr;
}

}  // namespace

HGLOBAL SimMachine::LoadResource(HMODULE module, HRSRC resource)
{
    std::lock_guard lock(m_lock);
    const std::string* data = module == nullptr ? ResourceData(m_pVersion->resources, resource) : nullptr;
    if (data == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    // The handle is the data itself, as for the resources of a mapped image.
    return const_cast<char*>(data->data());
}

void* SimMachine::LockResource(HGLOBAL data) { return data; }

DWORD SimMachine::SizeofResource(HMODULE module, HRSRC resource)
{
    std::lock_guard lock(m_lock);
    const std::string* data = module == nullptr ? ResourceData(m_pVersion->resources, resource) : nullptr;
    if (data == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    return static_cast<DWORD>(data->size());
}

// Resources of a mapped image need no freeing; the call answers FALSE as on
// every Win32 release.
BOOL SimMachine::FreeResource(HGLOBAL) { return FALSE; }

UINT SimMachine::CopyFolder(int csidl, char16_t* buffer, UINT chars)
{
    auto it = m_folders.find(csidl);
    if (it == m_folders.end()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    const std::u16string& folder = it->second;
    if (buffer == nullptr || chars <= folder.size()) return static_cast<UINT>(folder.size() + 1);
    std::copy(folder.begin(), folder.end(), buffer);
    buffer[folder.size()] = u'\0';
    return static_cast<UINT>(folder.size());
}

UINT SimMachine::GetSystemDirectoryW(char16_t* buffer, UINT chars)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("GetSystemDirectoryW")) {
        SetLastError(*failure);
        return 0;
    }
    return CopyFolder(CSIDL_SYSTEM, buffer, chars);
}

UINT SimMachine::GetWindowsDirectoryW(char16_t* buffer, UINT chars)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("GetWindowsDirectoryW")) {
        SetLastError(*failure);
        return 0;
    }
    return CopyFolder(CSIDL_WINDOWS, buffer, chars);
}

}  // namespace plat::sim
