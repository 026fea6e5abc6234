// Moves, copies, searches, times and shell deletion on the in-memory file
// system, with the rules Windows applies to files that are open or loaded.
#include <algorithm>
#include <cstring>
#include <string>

#include "common/platform/sim/sim_system_file_state.h"

namespace plat::sim {

namespace {

std::u16string ParentOf(const std::u16string& key)
{
    const size_t slash = key.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : key.substr(0, slash);
}

std::u16string LastPart(const std::u16string& path)
{
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

bool SameDrive(const std::u16string& a, const std::u16string& b)
{
    return a.size() >= 2 && b.size() >= 2 && a.compare(0, 2, b, 0, 2) == 0;
}

bool IsBelow(const std::u16string& key, const std::u16string& folder)
{
    return key.size() > folder.size() && key.compare(0, folder.size(), folder) == 0 && key[folder.size()] == u'\\';
}

uint64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    // Days since 1601-01-01 of a proleptic Gregorian date.
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t daysSince1970 = era * 146097 + static_cast<int64_t>(doe) - 719468;
    return static_cast<uint64_t>(daysSince1970 + 134774);
}

// Case-insensitive match of * and ? patterns, as a search on one folder does.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view name)
{
    if (pattern == u"*" || pattern == u"*.*") return true;
    size_t p = 0, n = 0, star = std::u16string_view::npos, mark = 0;
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            mark = n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

template <size_t N>
void CopyName(const std::u16string& text, WCHAR (&out)[N])
{
    const size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), n, out);
    out[n] = 0;
}

// Copies a result text the way the folder calls of Windows do: the length
// without the terminator, or the size needed with it when the buffer is short.
DWORD CopyOut(const std::u16string& text, char16_t* out, DWORD chars)
{
    if (out == nullptr || text.size() + 1 > chars) return static_cast<DWORD>(text.size() + 1);
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = u'\0';
    return static_cast<DWORD>(text.size());
}

}  // namespace

FILETIME SimFileTime(const SYSTEMTIME& t)
{
    const uint64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay);
    const uint64_t seconds = ((days * 24 + t.wHour) * 60 + t.wMinute) * 60 + t.wSecond;
    const uint64_t ticks = seconds * 10000000ull + t.wMilliseconds * 10000ull;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

void SimMachine::InitSystemFileState()
{
    m_pSysFiles = std::make_shared<SystemFileState>();
    AddDirectory(m_pSysFiles->tempPath);
    AddDirectory(m_pSysFiles->currentDirectory);
    // The system's own processes, which nobody may open, and the program itself.
    m_pSysFiles->processes.push_back({0, u"[System Process]", {}, false, false});
    m_pSysFiles->processes.push_back({4, u"System", {}, false, false});
    m_pSysFiles->processes.push_back({m_pSysFiles->nextProcessId++, {}, {}, true, true});
}

FILETIME SimMachine::NowFileTime() const
{
    std::lock_guard lock(m_lock);
    if (m_pSysFiles && m_pSysFiles->systemTime) return *m_pSysFiles->systemTime;
    return SimFileTime(m_localTime);
}

void SimMachine::SetSystemTime(const SYSTEMTIME& time)
{
    std::lock_guard lock(m_lock);
    m_pSysFiles->systemTime = SimFileTime(time);
}

void SimMachine::GetSystemTimeAsFileTime(FILETIME* time)
{
    if (time != nullptr) *time = NowFileTime();
}

void SimMachine::SetFileTimes(const std::u16string& path, const FILETIME& created, const FILETIME& written)
{
    std::lock_guard lock(m_lock);
    if (FileNode* node = FindNode(NormalizeSimPath(path))) {
        node->created = created;
        node->written = written;
    }
}

void SimMachine::SetTempPath(const std::u16string& path)
{
    std::lock_guard lock(m_lock);
    m_pSysFiles->tempPath = path;
}

void SimMachine::SetCurrentDirectory(const std::u16string& path)
{
    std::lock_guard lock(m_lock);
    m_pSysFiles->currentDirectory = path;
}

DWORD SimMachine::GetTempPathW(DWORD chars, char16_t* path)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("GetTempPathW")) {
        SetLastError(*failure);
        return 0;
    }
    return CopyOut(m_pSysFiles->tempPath, path, chars);
}

DWORD SimMachine::GetCurrentDirectoryW(DWORD chars, char16_t* path)
{
    std::lock_guard lock(m_lock);
    return CopyOut(m_pSysFiles->currentDirectory, path, chars);
}

void SimMachine::MoveNode(const std::u16string& fromKey, const std::u16string& toPath)
{
    const std::u16string toClean = CleanSimPath(toPath);
    const std::u16string toKey = FoldName(toClean);
    std::vector<std::pair<std::u16string, FileNode>> moved;
    for (auto it = m_files.begin(); it != m_files.end();) {
        if (it->first == fromKey || IsBelow(it->first, fromKey)) {
            FileNode node = std::move(it->second);
            const std::u16string rest = it->first.substr(fromKey.size());
            node.path = toClean + node.path.substr(node.path.size() - rest.size());
            moved.emplace_back(toKey + rest, std::move(node));
            it = m_files.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [key, node] : moved) m_files[key] = std::move(node);
    // A loaded image keeps being loaded under its new name.
    for (auto& process : m_pSysFiles->processes) {
        for (auto& module : process.modules) {
            if (NormalizeSimPath(module) == fromKey) module = toClean;
        }
        if (!process.self && NormalizeSimPath(process.exePath) == fromKey) process.exePath = toClean;
    }
    if (NormalizeSimPath(m_moduleFileName) == fromKey) m_moduleFileName = toClean;
}

bool SimMachine::DeleteTree(const std::u16string& key)
{
    FileNode* node = FindNode(key);
    if (node == nullptr) return false;
    bool complete = true;
    if (node->directory) {
        std::vector<std::u16string> children;
        for (const auto& [childKey, child] : m_files) {
            if (ParentOf(childKey) == key) children.push_back(childKey);
        }
        for (const auto& child : children) complete = DeleteTree(child) && complete;
        if (complete) m_files.erase(key);
        return complete;
    }
    const std::u16string path = node->path;
    if (!DeleteFileW(path.c_str())) {
        // The shell takes read-only files too.
        if ((node->attributes & FILE_ATTRIBUTE_READONLY) == 0) return false;
        node->attributes &= ~FILE_ATTRIBUTE_READONLY;
        if (!DeleteFileW(path.c_str())) return false;
    }
    return true;
}

BOOL SimMachine::MoveFileW(const char16_t* from, const char16_t* to)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("MoveFileW")) {
        SetLastError(*failure);
        return FALSE;
    }
    return MoveFileExW(from, to, 0);
}

BOOL SimMachine::MoveFileExW(const char16_t* from, const char16_t* to, DWORD flags)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected((flags & MOVEFILE_DELAY_UNTIL_REBOOT) != 0 ? "MoveFileExW.delay" : "MoveFileExW")) {
        SetLastError(*failure);
        return FALSE;
    }
    if (from == nullptr || from[0] == u'\0' || ((to == nullptr || to[0] == u'\0') &&
                                                (flags & MOVEFILE_DELAY_UNTIL_REBOOT) == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::u16string fromKey = NormalizeSimPath(from);
    FileNode* source = FindNode(fromKey);
    if (source == nullptr) {
        SetLastError(ParentIsDirectory(fromKey) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if ((flags & MOVEFILE_DELAY_UNTIL_REBOOT) != 0) {
        // Queued as Windows does: NT paths, "!" before a target that may be replaced.
        std::vector<std::u16string> parts;
        if (auto existing = GetRegValue(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, PENDING_RENAMES_VALUE)) {
            parts = SplitMultiString(existing->data);
        }
        parts.push_back(u"\\??\\" + CleanSimPath(from));
        std::u16string target;
        if (to != nullptr && to[0] != u'\0') {
            target = ((flags & MOVEFILE_REPLACE_EXISTING) != 0 ? u"!\\??\\" : u"\\??\\") + CleanSimPath(to);
        }
        parts.push_back(target);
        std::u16string queue;
        for (const auto& part : parts) queue += part + u'\0';
        queue += u'\0';
        SetRegValue(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, PENDING_RENAMES_VALUE, REG_MULTI_SZ,
                    std::string(reinterpret_cast<const char*>(queue.data()), queue.size() * sizeof(char16_t)));
        return TRUE;
    }
    const std::u16string toKey = NormalizeSimPath(to);
    if (toKey == fromKey) return TRUE;
    if (!ParentIsDirectory(toKey)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!SameDrive(fromKey, toKey) && ((flags & MOVEFILE_COPY_ALLOWED) == 0 || source->directory)) {
        SetLastError(ERROR_NOT_SAME_DEVICE);
        return FALSE;
    }
    // A handle without delete sharing keeps the name in place; a loaded image does not.
    auto blocks = [&](const OpenFile& open) {
        return (open.key == fromKey || IsBelow(open.key, fromKey)) && (open.share & FILE_SHARE_DELETE) == 0;
    };
    bool blocked = std::any_of(m_heldFiles.begin(), m_heldFiles.end(), blocks);
    for (const auto& [handle, open] : m_openFiles) blocked = blocked || blocks(open);
    if (blocked) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (FileNode* target = FindNode(toKey)) {
        if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (target->directory || source->directory || (target->attributes & FILE_ATTRIBUTE_READONLY) != 0 ||
            IsMappedImage(toKey)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (!DeleteFileW(to)) return FALSE;
    }
    MoveNode(fromKey, to);
    return TRUE;
}

BOOL SimMachine::CopyFileW(const char16_t* from, const char16_t* to, BOOL failIfExists)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("CopyFileW")) {
        SetLastError(*failure);
        return FALSE;
    }
    const std::u16string fromKey = from == nullptr ? std::u16string() : NormalizeSimPath(from);
    const FileNode* source = FindNode(fromKey);
    if (source == nullptr) {
        SetLastError(ParentIsDirectory(fromKey) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (source->directory) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!ShareAllows(fromKey, GENERIC_READ, FILE_SHARE_READ)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    const std::u16string toKey = to == nullptr ? std::u16string() : NormalizeSimPath(to);
    if (!ParentIsDirectory(toKey)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    FileNode copy = *source;
    copy.path = CleanSimPath(to);
    copy.attributes = source->attributes | FILE_ATTRIBUTE_ARCHIVE;
    copy.created = NowFileTime();
    if (FileNode* target = FindNode(toKey)) {
        if (failIfExists) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        if (target->directory || (target->attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (!ShareAllows(toKey, GENERIC_WRITE, 0) || IsMappedImage(toKey)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
        copy.created = target->created;  // the existing file is rewritten, not made anew
        copy.path = target->path;
    }
    m_files[toKey] = std::move(copy);
    return TRUE;
}

HANDLE SimMachine::FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("FindFirstFileW")) {
        SetLastError(*failure);
        return INVALID_HANDLE_VALUE;
    }
    if (pattern == nullptr || data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::u16string clean = CleanSimPath(pattern);
    const size_t slash = clean.rfind(u'\\');
    const std::u16string folderKey = FoldName(slash == std::u16string::npos ? std::u16string() : clean.substr(0, slash));
    const std::u16string namePattern = slash == std::u16string::npos ? clean : clean.substr(slash + 1);
    const FileNode* folder = FindNode(folderKey);
    if (folder == nullptr || !folder->directory) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    SystemFileState::Search search;
    auto add = [&](const FileNode& node, const std::u16string& name) {
        WIN32_FIND_DATAW entry{};
        entry.dwFileAttributes = node.attributes;
        entry.ftCreationTime = node.created;
        entry.ftLastAccessTime = node.written;
        entry.ftLastWriteTime = node.written;
        entry.nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(node.content.size()) >> 32);
        entry.nFileSizeLow = static_cast<DWORD>(node.content.size());
        CopyName(name, entry.cFileName);
        search.entries.push_back(entry);
    };
    // Folders other than a drive's root list themselves and their parent first.
    if (folderKey.size() > 2) {
        if (WildcardMatch(namePattern, u".")) add(*folder, u".");
        if (WildcardMatch(namePattern, u"..")) add(*folder, u"..");
    }
    for (auto it = m_files.upper_bound(folderKey); it != m_files.end() && IsBelow(it->first, folderKey); ++it) {
        if (ParentOf(it->first) != folderKey) continue;
        const std::u16string name = LastPart(it->second.path);
        if (WildcardMatch(namePattern, name)) add(it->second, name);
    }
    if (search.entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *data = search.entries[0];
    search.next = 1;
    HANDLE handle = NewHandle();
    m_pSysFiles->searches[reinterpret_cast<uintptr_t>(handle)] = std::move(search);
    return handle;
}

BOOL SimMachine::FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data)
{
    std::lock_guard lock(m_lock);
    auto it = m_pSysFiles->searches.find(reinterpret_cast<uintptr_t>(find));
    if (it == m_pSysFiles->searches.end() || data == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (it->second.next >= it->second.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = it->second.entries[it->second.next++];
    return TRUE;
}

BOOL SimMachine::FindClose(HANDLE find)
{
    std::lock_guard lock(m_lock);
    if (m_pSysFiles->searches.erase(reinterpret_cast<uintptr_t>(find)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL SimMachine::GetFileAttributesExW(const char16_t* path, GET_FILEEX_INFO_LEVELS level, void* info)
{
    std::lock_guard lock(m_lock);
    if (path == nullptr || info == nullptr || level != GetFileExInfoStandard) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::u16string key = NormalizeSimPath(path);
    const FileNode* node = FindNode(key);
    if (node == nullptr) {
        SetLastError(ParentIsDirectory(key) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    auto* out = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(info);
    out->dwFileAttributes = node->attributes;
    out->ftCreationTime = node->created;
    out->ftLastAccessTime = node->written;
    out->ftLastWriteTime = node->written;
    out->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(node->content.size()) >> 32);
    out->nFileSizeLow = static_cast<DWORD>(node->content.size());
    return TRUE;
}

BOOL SimMachine::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite)
{
    std::lock_guard lock(m_lock);
    OpenFile* open = FindOpenFile(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const FileNode* node = FindNode(open->key);
    if (creation != nullptr) *creation = node->created;
    if (lastAccess != nullptr) *lastAccess = node->written;
    if (lastWrite != nullptr) *lastWrite = node->written;
    return TRUE;
}

DWORD SimMachine::GetLongPathNameW(const char16_t* path, char16_t* longPath, DWORD chars)
{
    std::lock_guard lock(m_lock);
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string text = path;
    const std::u16string key = NormalizeSimPath(text);
    const FileNode* node = FindNode(key);
    if (node == nullptr) {
        SetLastError(ParentIsDirectory(key) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return 0;
    }
    // The machine keeps no short names: every part is spelt as it is stored.
    const std::u16string prefix = text.starts_with(u"\\\\?\\") ? u"\\\\?\\" : u"";
    return CopyOut(prefix + node->path, longPath, chars);
}

int SimMachine::SHFileOperationW(SHFILEOPSTRUCTW* operation)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("SHFileOperationW")) return static_cast<int>(*failure);
    if (operation == nullptr || operation->pFrom == nullptr) return static_cast<int>(ERROR_INVALID_PARAMETER);
    if (operation->wFunc != FO_DELETE) return static_cast<int>(ERROR_INVALID_PARAMETER);
    int result = 0;
    for (const WCHAR* item = operation->pFrom; *item != 0; item += std::char_traits<WCHAR>::length(item) + 1) {
        const std::u16string key = NormalizeSimPath(item);
        if (FindNode(key) == nullptr) {
            result = static_cast<int>(ERROR_FILE_NOT_FOUND);
        } else if (!DeleteTree(key)) {
            result = static_cast<int>(ERROR_ACCESS_DENIED);
        }
    }
    operation->fAnyOperationsAborted = FALSE;
    return result;
}

bool SimMachine::CloseSystemFileHandle(HANDLE handle)
{
    if (!m_pSysFiles) return false;
    const auto key = reinterpret_cast<uintptr_t>(handle);
    return m_pSysFiles->snapshots.erase(key) != 0 || m_pSysFiles->processHandles.erase(key) != 0;
}

size_t SimMachine::SystemFileHandleCount() const
{
    if (!m_pSysFiles) return 0;
    return m_pSysFiles->snapshots.size() + m_pSysFiles->processHandles.size() + m_pSysFiles->searches.size() +
           m_pSysFiles->serviceHandles.size();
}

}  // namespace plat::sim
