#include <algorithm>
#include <cstring>

#include "common/platform/sim/sim_machine.h"

namespace plat::sim {

namespace {

std::u16string ParentKey(const std::u16string& key)
{
    const size_t slash = key.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : key.substr(0, slash);
}

bool IsDriveRoot(const std::u16string& key) { return key.size() == 2 && key[1] == u':'; }

bool WantsWrite(DWORD access) { return (access & (GENERIC_WRITE | GENERIC_ALL)) != 0; }
bool WantsRead(DWORD access) { return (access & (GENERIC_READ | GENERIC_ALL)) != 0; }

}  // namespace

FileNode* SimMachine::FindNode(const std::u16string& key)
{
    auto it = m_files.find(key);
    return it == m_files.end() ? nullptr : &it->second;
}

const FileNode* SimMachine::FindNode(const std::u16string& key) const
{
    auto it = m_files.find(key);
    return it == m_files.end() ? nullptr : &it->second;
}

bool SimMachine::ParentIsDirectory(const std::u16string& key) const
{
    const FileNode* parent = FindNode(ParentKey(key));
    return parent != nullptr && parent->directory;
}

bool SimMachine::ShareAllows(const std::u16string& key, DWORD access, DWORD share) const
{
    auto conflicts = [&](const OpenFile& open) {
        if (open.key != key) return false;
        if (WantsWrite(access) && (open.share & FILE_SHARE_WRITE) == 0) return true;
        if (WantsRead(access) && (open.share & FILE_SHARE_READ) == 0) return true;
        if (WantsWrite(open.access) && (share & FILE_SHARE_WRITE) == 0) return true;
        if (WantsRead(open.access) && (share & FILE_SHARE_READ) == 0) return true;
        return false;
    };
    for (const auto& [handle, open] : m_openFiles) {
        if (conflicts(open)) return false;
    }
    return std::none_of(m_heldFiles.begin(), m_heldFiles.end(), conflicts);
}

SimMachine::OpenFile* SimMachine::FindOpenFile(HANDLE file)
{
    auto it = m_openFiles.find(reinterpret_cast<uintptr_t>(file));
    return it == m_openFiles.end() ? nullptr : &it->second;
}

void SimMachine::AddDirectory(const std::u16string& path)
{
    std::lock_guard lock(m_lock);
    const std::u16string clean = CleanSimPath(path);
    const std::u16string key = FoldName(clean);
    size_t start = 0;
    while (start <= key.size()) {
        size_t slash = key.find(u'\\', start);
        if (slash == std::u16string::npos) slash = key.size();
        const std::u16string prefix = key.substr(0, slash);
        if (!prefix.empty() && FindNode(prefix) == nullptr) {
            m_files[prefix] = FileNode{clean.substr(0, slash), true, FILE_ATTRIBUTE_DIRECTORY, {}, NowFileTime(),
                                       NowFileTime()};
        }
        start = slash + 1;
    }
}

void SimMachine::AddFile(const std::u16string& path, const std::string& content, DWORD attributes)
{
    std::lock_guard lock(m_lock);
    const std::u16string clean = CleanSimPath(path);
    const size_t slash = clean.rfind(u'\\');
    if (slash != std::u16string::npos) AddDirectory(clean.substr(0, slash));
    m_files[FoldName(clean)] = FileNode{clean, false, attributes, content, NowFileTime(), NowFileTime()};
}

bool SimMachine::Exists(const std::u16string& path) const
{
    std::lock_guard lock(m_lock);
    return FindNode(NormalizeSimPath(path)) != nullptr;
}

std::optional<std::string> SimMachine::FileContent(const std::u16string& path) const
{
    std::lock_guard lock(m_lock);
    const FileNode* node = FindNode(NormalizeSimPath(path));
    if (node == nullptr || node->directory) return std::nullopt;
    return node->content;
}

void SimMachine::HoldFileOpen(const std::u16string& path, DWORD access, DWORD shareMode)
{
    std::lock_guard lock(m_lock);
    m_heldFiles.push_back(OpenFile{NormalizeSimPath(path), access, shareMode, 0});
}

HANDLE SimMachine::CreateFileW(const char16_t* path, DWORD access, DWORD shareMode, void*, DWORD disposition,
                               DWORD flagsAndAttributes, HANDLE)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("CreateFileW")) {
        SetLastError(*failure);
        return INVALID_HANDLE_VALUE;
    }
    if (path == nullptr || path[0] == u'\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::u16string key = NormalizeSimPath(path);
    if (!ParentIsDirectory(key)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    FileNode* node = FindNode(key);
    if (node != nullptr && node->directory) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const bool exists = node != nullptr;
    switch (disposition) {
    case CREATE_NEW:
        if (exists) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
        if (!exists) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const bool truncates = exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    if (exists && (node->attributes & FILE_ATTRIBUTE_READONLY) != 0 && (WantsWrite(access) || truncates)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (exists && (!ShareAllows(key, access, shareMode) || (IsMappedImage(key) && (WantsWrite(access) || truncates)))) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    if (!exists) {
        DWORD attributes = flagsAndAttributes & 0xFFFF & ~FILE_ATTRIBUTE_DIRECTORY;
        if (attributes == 0 || attributes == FILE_ATTRIBUTE_NORMAL) attributes = FILE_ATTRIBUTE_ARCHIVE;
        m_files[key] = FileNode{CleanSimPath(path), false, attributes, {}, NowFileTime(), NowFileTime()};
    } else if (truncates) {
        node->content.clear();
    }
    HANDLE h = NewHandle();
    m_openFiles[reinterpret_cast<uintptr_t>(h)] = OpenFile{key, access, shareMode, 0};
    const bool reportsExisting = exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : NO_ERROR);
    return h;
}

SimMachine::OpenFile* SimMachine::BeginTransfer(HANDLE file, const char* call, bool write, DWORD* transferred)
{
    if (transferred != nullptr) *transferred = 0;
    if (auto failure = Injected(call)) {
        SetLastError(*failure);
        return nullptr;
    }
    OpenFile* open = FindOpenFile(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (write ? !WantsWrite(open->access) : !WantsRead(open->access)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return open;
}

BOOL SimMachine::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void*)
{
    std::lock_guard lock(m_lock);
    OpenFile* open = BeginTransfer(file, "ReadFile", false, read);
    if (open == nullptr) return FALSE;
    const FileNode* node = FindNode(open->key);
    const std::string& content = node->content;
    const uint64_t available = open->position < content.size() ? content.size() - open->position : 0;
    const DWORD n = static_cast<DWORD>(std::min<uint64_t>(available, toRead));
    if (n != 0) std::memcpy(buffer, content.data() + open->position, n);
    open->position += n;
    if (read != nullptr) *read = n;
    return TRUE;
}

BOOL SimMachine::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void*)
{
    std::lock_guard lock(m_lock);
    OpenFile* open = BeginTransfer(file, "WriteFile", true, written);
    if (open == nullptr) return FALSE;
    std::string& content = FindNode(open->key)->content;
    if (content.size() < open->position + toWrite) content.resize(open->position + toWrite, '\0');
    if (toWrite != 0) std::memcpy(content.data() + open->position, buffer, toWrite);
    open->position += toWrite;
    if (written != nullptr) *written = toWrite;
    return TRUE;
}

DWORD SimMachine::GetFileSize(HANDLE file, DWORD* sizeHigh)
{
    std::lock_guard lock(m_lock);
    OpenFile* open = FindOpenFile(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    const uint64_t size = FindNode(open->key)->content.size();
    if (sizeHigh != nullptr) *sizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(NO_ERROR);
    return static_cast<DWORD>(size);
}

DWORD SimMachine::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method)
{
    std::lock_guard lock(m_lock);
    OpenFile* open = FindOpenFile(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t move = distanceHigh != nullptr
                       ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                              static_cast<uint32_t>(distance))
                       : static_cast<int64_t>(distance);
    int64_t origin = 0;
    if (method == FILE_CURRENT) {
        origin = static_cast<int64_t>(open->position);
    } else if (method == FILE_END) {
        origin = static_cast<int64_t>(FindNode(open->key)->content.size());
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const int64_t target = origin + move;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    open->position = static_cast<uint64_t>(target);
    if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(open->position >> 32);
    SetLastError(NO_ERROR);
    return static_cast<DWORD>(open->position);
}

BOOL SimMachine::SetEndOfFile(HANDLE file)
{
    std::lock_guard lock(m_lock);
    OpenFile* open = FindOpenFile(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!WantsWrite(open->access)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    FindNode(open->key)->content.resize(open->position, '\0');
    return TRUE;
}

BOOL SimMachine::CloseHandle(HANDLE handle)
{
    std::lock_guard lock(m_lock);
    if (m_openFiles.erase(reinterpret_cast<uintptr_t>(handle)) == 0 &&
        m_openTokens.erase(reinterpret_cast<uintptr_t>(handle)) == 0 && !CloseSystemFileHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD SimMachine::GetFileAttributesW(const char16_t* path)
{
    std::lock_guard lock(m_lock);
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::u16string key = NormalizeSimPath(path);
    const FileNode* node = FindNode(key);
    if (node == nullptr) {
        SetLastError(ParentIsDirectory(key) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return node->attributes;
}

BOOL SimMachine::SetFileAttributesW(const char16_t* path, DWORD attributes)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("SetFileAttributesW")) {
        SetLastError(*failure);
        return FALSE;
    }
    FileNode* node = path == nullptr ? nullptr : FindNode(NormalizeSimPath(path));
    if (node == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    DWORD kept = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE);
    if (node->directory) {
        node->attributes = kept | FILE_ATTRIBUTE_DIRECTORY;
    } else {
        node->attributes = kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept;
    }
    return TRUE;
}

BOOL SimMachine::DeleteFileW(const char16_t* path)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("DeleteFileW")) {
        SetLastError(*failure);
        return FALSE;
    }
    const std::u16string key = path == nullptr ? std::u16string() : NormalizeSimPath(path);
    FileNode* node = FindNode(key);
    if (node == nullptr) {
        SetLastError(ParentIsDirectory(key) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (node->directory || (node->attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto blocks = [&](const OpenFile& open) { return open.key == key && (open.share & FILE_SHARE_DELETE) == 0; };
    bool blocked = std::any_of(m_heldFiles.begin(), m_heldFiles.end(), blocks);
    for (const auto& [handle, open] : m_openFiles) blocked = blocked || blocks(open);
    if (blocked) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (IsMappedImage(key)) {  // a loaded program or library
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    m_files.erase(key);
    return TRUE;
}

BOOL SimMachine::CreateDirectoryW(const char16_t* path, void*)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("CreateDirectoryW")) {
        SetLastError(*failure);
        return FALSE;
    }
    const std::u16string key = path == nullptr ? std::u16string() : NormalizeSimPath(path);
    if (key.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (IsDriveRoot(key)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (FindNode(key) != nullptr) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (!ParentIsDirectory(key)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    m_files[key] = FileNode{CleanSimPath(path), true, FILE_ATTRIBUTE_DIRECTORY, {}, NowFileTime(), NowFileTime()};
    return TRUE;
}

BOOL SimMachine::RemoveDirectoryW(const char16_t* path)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("RemoveDirectoryW")) {
        SetLastError(*failure);
        return FALSE;
    }
    const std::u16string key = path == nullptr ? std::u16string() : NormalizeSimPath(path);
    FileNode* node = FindNode(key);
    if (node == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (!node->directory) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    const std::u16string prefix = key + u"\\";
    auto next = m_files.lower_bound(prefix);
    if (next != m_files.end() && next->first.compare(0, prefix.size(), prefix) == 0) {
        SetLastError(ERROR_DIR_NOT_EMPTY);
        return FALSE;
    }
    m_files.erase(key);
    return TRUE;
}

}  // namespace plat::sim
