#include <algorithm>
#include <cstring>

#include "common/platform/sim/sim_machine.h"

namespace plat::sim {

namespace {

std::u16string Text(const char16_t* s) { return s == nullptr ? std::u16string() : std::u16string(s); }

std::vector<std::u16string> SplitKeyPath(const std::u16string& path)
{
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t c : path) {
        if (c == u'\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::u16string FoldKeyName(const std::u16string& name)
{
    std::u16string folded = name;
    for (char16_t& c : folded) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return folded;
}

RegValue* FindValue(RegKeyNode& node, const std::u16string& name)
{
    const std::u16string folded = FoldKeyName(name);
    for (RegValue& value : node.values) {
        if (FoldKeyName(value.name) == folded) return &value;
    }
    return nullptr;
}

bool IsRootHandle(HKEY key)
{
    const auto v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(key));
    return v >= 0x80000000u && v <= 0x80000006u;
}

}  // namespace

std::shared_ptr<RegKeyNode> SimMachine::RootNode(HKEY root) const
{
    auto it = m_regRoots.find(reinterpret_cast<uintptr_t>(root));
    return it == m_regRoots.end() ? nullptr : it->second;
}

bool SimMachine::ResolveKey(HKEY key, std::shared_ptr<RegKeyNode>* node, REGSAM* access) const
{
    if (IsRootHandle(key)) {
        *node = RootNode(key);
        *access = KEY_ALL_ACCESS;
        return *node != nullptr;
    }
    auto it = m_openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (it == m_openKeys.end()) return false;
    *node = it->second.node;
    *access = it->second.access;
    return true;
}

std::shared_ptr<RegKeyNode> SimMachine::FindSubKey(std::shared_ptr<RegKeyNode> from, const std::u16string& path) const
{
    for (const std::u16string& part : SplitKeyPath(path)) {
        if (!from) return nullptr;
        auto it = from->subkeys.find(FoldKeyName(part));
        if (it == from->subkeys.end()) return nullptr;
        from = it->second;
    }
    return from;
}

std::shared_ptr<RegKeyNode> SimMachine::CreateSubKey(std::shared_ptr<RegKeyNode> from, const std::u16string& path,
                                                     bool* created)
{
    *created = false;
    for (const std::u16string& part : SplitKeyPath(path)) {
        auto& slot = from->subkeys[FoldKeyName(part)];
        if (!slot) {
            slot = std::make_shared<RegKeyNode>();
            slot->name = part;
            *created = true;
        }
        from = slot;
    }
    return from;
}

LONG SimMachine::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD, REGSAM access, HKEY* result)
{
    std::lock_guard lock(m_lock);
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (auto failure = Injected("RegOpenKeyExW")) return static_cast<LONG>(*failure);
    std::shared_ptr<RegKeyNode> base;
    REGSAM baseAccess = 0;
    if (!ResolveKey(key, &base, &baseAccess)) return ERROR_INVALID_HANDLE;
    if (base->deleted) return ERROR_KEY_DELETED;
    auto node = FindSubKey(base, Text(subKey));
    if (!node) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    HANDLE h = NewHandle();
    m_openKeys[reinterpret_cast<uintptr_t>(h)] = OpenKey{node, access};
    *result = reinterpret_cast<HKEY>(h);
    return ERROR_SUCCESS;
}

LONG SimMachine::RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD, char16_t*, DWORD, REGSAM access, void*,
                                 HKEY* result, DWORD* disposition)
{
    std::lock_guard lock(m_lock);
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (auto failure = Injected("RegCreateKeyExW")) return static_cast<LONG>(*failure);
    std::shared_ptr<RegKeyNode> base;
    REGSAM baseAccess = 0;
    if (!ResolveKey(key, &base, &baseAccess)) return ERROR_INVALID_HANDLE;
    if (base->deleted) return ERROR_KEY_DELETED;
    auto existing = FindSubKey(base, Text(subKey));
    if (!existing && (baseAccess & KEY_CREATE_SUB_KEY) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    bool created = false;
    auto node = existing ? existing : CreateSubKey(base, Text(subKey), &created);
    HANDLE h = NewHandle();
    m_openKeys[reinterpret_cast<uintptr_t>(h)] = OpenKey{node, access};
    *result = reinterpret_cast<HKEY>(h);
    if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG SimMachine::RegQueryValueExW(HKEY key, const char16_t* name, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("RegQueryValueExW")) return static_cast<LONG>(*failure);
    std::shared_ptr<RegKeyNode> node;
    REGSAM access = 0;
    if (!ResolveKey(key, &node, &access)) return ERROR_INVALID_HANDLE;
    if (node->deleted) return ERROR_KEY_DELETED;
    if ((access & KEY_QUERY_VALUE) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
    RegValue* value = FindValue(*node, Text(name));
    if (value == nullptr) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    if (type != nullptr) *type = value->type;
    if (dataSize == nullptr) return ERROR_SUCCESS;
    const auto size = static_cast<DWORD>(value->data.size());
    if (data == nullptr) {
        *dataSize = size;
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    if (size != 0) std::memcpy(data, value->data.data(), size);
    *dataSize = size;
    return ERROR_SUCCESS;
}

LONG SimMachine::RegSetValueExW(HKEY key, const char16_t* name, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("RegSetValueExW")) return static_cast<LONG>(*failure);
    std::shared_ptr<RegKeyNode> node;
    REGSAM access = 0;
    if (!ResolveKey(key, &node, &access)) return ERROR_INVALID_HANDLE;
    if (node->deleted) return ERROR_KEY_DELETED;
    if ((access & KEY_SET_VALUE) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    if (data == nullptr && dataSize != 0) return static_cast<LONG>(ERROR_NOACCESS);
    std::string bytes = data == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(data), dataSize);
    if (RegValue* value = FindValue(*node, Text(name))) {
        value->type = type;
        value->data = std::move(bytes);
    } else {
        node->values.push_back(RegValue{Text(name), type, std::move(bytes)});
    }
    return ERROR_SUCCESS;
}

LONG SimMachine::RegDeleteValueW(HKEY key, const char16_t* name)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("RegDeleteValueW")) return static_cast<LONG>(*failure);
    std::shared_ptr<RegKeyNode> node;
    REGSAM access = 0;
    if (!ResolveKey(key, &node, &access)) return ERROR_INVALID_HANDLE;
    if (node->deleted) return ERROR_KEY_DELETED;
    if ((access & KEY_SET_VALUE) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    const std::u16string folded = FoldKeyName(Text(name));
    auto it = std::find_if(node->values.begin(), node->values.end(),
                           [&](const RegValue& v) { return FoldKeyName(v.name) == folded; });
    if (it == node->values.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    node->values.erase(it);
    return ERROR_SUCCESS;
}

LONG SimMachine::RegDeleteKeyW(HKEY key, const char16_t* subKey)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("RegDeleteKeyW")) return static_cast<LONG>(*failure);
    std::shared_ptr<RegKeyNode> base;
    REGSAM access = 0;
    if (!ResolveKey(key, &base, &access)) return ERROR_INVALID_HANDLE;
    if (base->deleted) return ERROR_KEY_DELETED;
    const auto parts = SplitKeyPath(Text(subKey));
    if (parts.empty()) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    std::u16string parentPath;
    for (size_t i = 0; i + 1 < parts.size(); ++i) parentPath += parts[i] + u"\\";
    auto parent = FindSubKey(base, parentPath);
    if (!parent) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    auto it = parent->subkeys.find(FoldKeyName(parts.back()));
    if (it == parent->subkeys.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    // Windows refuses to delete a key that still has subkeys.
    if (!it->second->subkeys.empty()) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    it->second->deleted = true;
    parent->subkeys.erase(it);
    return ERROR_SUCCESS;
}

LONG SimMachine::RegEnumKeyW(HKEY key, DWORD index, char16_t* name, DWORD nameChars)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("RegEnumKeyW")) return static_cast<LONG>(*failure);
    std::shared_ptr<RegKeyNode> node;
    REGSAM access = 0;
    if (!ResolveKey(key, &node, &access)) return ERROR_INVALID_HANDLE;
    if (node->deleted) return ERROR_KEY_DELETED;
    if ((access & KEY_ENUMERATE_SUB_KEYS) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    if (index >= node->subkeys.size()) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    auto it = node->subkeys.begin();
    std::advance(it, index);
    const std::u16string& child = it->second->name;
    if (name == nullptr || child.size() + 1 > nameChars) return static_cast<LONG>(ERROR_MORE_DATA);
    std::copy(child.begin(), child.end(), name);
    name[child.size()] = u'\0';
    return ERROR_SUCCESS;
}

LONG SimMachine::RegEnumValueW(HKEY key, DWORD index, char16_t* name, DWORD* nameChars, DWORD*, DWORD* type, BYTE* data,
                               DWORD* dataSize)
{
    std::lock_guard lock(m_lock);
    if (auto failure = Injected("RegEnumValueW")) return static_cast<LONG>(*failure);
    std::shared_ptr<RegKeyNode> node;
    REGSAM access = 0;
    if (!ResolveKey(key, &node, &access)) return ERROR_INVALID_HANDLE;
    if (node->deleted) return ERROR_KEY_DELETED;
    if ((access & KEY_QUERY_VALUE) == 0) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    if (name == nullptr || nameChars == nullptr) return ERROR_INVALID_PARAMETER;
    if (index >= node->values.size()) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    const RegValue& value = node->values[index];
    if (value.name.size() + 1 > *nameChars) return static_cast<LONG>(ERROR_MORE_DATA);
    const auto size = static_cast<DWORD>(value.data.size());
    if (data != nullptr) {
        if (dataSize == nullptr) return ERROR_INVALID_PARAMETER;
        if (*dataSize < size) {
            *dataSize = size;
            return static_cast<LONG>(ERROR_MORE_DATA);
        }
        if (size != 0) std::memcpy(data, value.data.data(), size);
    }
    std::copy(value.name.begin(), value.name.end(), name);
    name[value.name.size()] = u'\0';
    *nameChars = static_cast<DWORD>(value.name.size());
    if (type != nullptr) *type = value.type;
    if (dataSize != nullptr) *dataSize = size;
    return ERROR_SUCCESS;
}

LONG SimMachine::RegCloseKey(HKEY key)
{
    std::lock_guard lock(m_lock);
    if (IsRootHandle(key)) return ERROR_SUCCESS;
    if (m_openKeys.erase(reinterpret_cast<uintptr_t>(key)) == 0) return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

void SimMachine::SetRegValue(HKEY root, const std::u16string& subKey, const std::u16string& name, DWORD type,
                             const std::string& data)
{
    std::lock_guard lock(m_lock);
    bool created = false;
    auto node = CreateSubKey(RootNode(root), subKey, &created);
    if (RegValue* value = FindValue(*node, name)) {
        value->type = type;
        value->data = data;
    } else {
        node->values.push_back(RegValue{name, type, data});
    }
}

void SimMachine::SetRegString(HKEY root, const std::u16string& subKey, const std::u16string& name,
                              const std::u16string& value)
{
    std::string bytes(reinterpret_cast<const char*>(value.c_str()), (value.size() + 1) * sizeof(char16_t));
    SetRegValue(root, subKey, name, REG_SZ, bytes);
}

bool SimMachine::RegKeyExists(HKEY root, const std::u16string& subKey) const
{
    std::lock_guard lock(m_lock);
    return FindSubKey(RootNode(root), subKey) != nullptr;
}

std::optional<RegValue> SimMachine::GetRegValue(HKEY root, const std::u16string& subKey, const std::u16string& name) const
{
    std::lock_guard lock(m_lock);
    auto node = FindSubKey(RootNode(root), subKey);
    if (!node) return std::nullopt;
    if (RegValue* value = FindValue(*node, name)) return *value;
    return std::nullopt;
}

}  // namespace plat::sim
