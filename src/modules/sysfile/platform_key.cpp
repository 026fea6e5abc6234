#include "modules/sysfile/platform_key.h"

#include "common/platform/handles.h"

using plat::P;

const IndexResource IndexResourceTable[INDEX_RESOURCE_COUNT] = {
    {u"0501.0300.2052", 214},  // Windows XP SP3, Simplified Chinese
    {u"0501.0000.1033", 215},  // Windows XP, English
    {u"0501.0000.2052", 216},  // Windows XP, Simplified Chinese
    {u"0501.0100.1033", 217},  // Windows XP SP1, English
    {u"0501.0100.2052", 218},  // Windows XP SP1, Simplified Chinese
    {u"0501.0200.1033", 219},  // Windows XP SP2, English
    {u"0501.0200.2052", 220},  // Windows XP SP2, Simplified Chinese
    {u"0501.0300.1033", 221},  // Windows XP SP3, English
    {u"0601.0000.0000", 222},  // Windows 7
    {u"0502.0000.1033", 223},  // Windows NT 5.2 (Server 2003 family), English
    {u"0502.0000.2052", 224},  // Windows NT 5.2, Simplified Chinese
    {u"0502.0100.1033", 225},  // Windows NT 5.2 SP1, English
    {u"0502.0100.2052", 226},  // Windows NT 5.2 SP1, Simplified Chinese
    {u"0502.0200.1033", 227},  // Windows NT 5.2 SP2, English
    {u"0502.0200.2052", 228},  // Windows NT 5.2 SP2, Simplified Chinese
    {u"0600.0000.0000", 229},  // Windows Vista
    {u"0600.0100.0000", 230},  // Windows Vista SP1
    {u"0600.0200.0000", 231},  // Windows Vista SP2
};

namespace {

// printf's "%0<width>lu".
void AppendNumber(std::u16string& text, unsigned long value, size_t width)
{
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    if (digits.size() < width) text.append(width - digits.size(), u'0');
    text += digits;
}

// "<common application data>\morvathTools\mendora.idx"; empty when Windows
// cannot name the folder.
std::u16string IndexFilePath()
{
    char16_t folder[MAX_PATH] = {};
    if (P().SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) < 0) {
        return {};
    }
    folder[MAX_PATH - 1] = u'\0';
    std::u16string path(folder);
    if (path.empty()) return {};
    if (path.back() != u'\\') path += u'\\';
    return path + u"morvathTools\\mendora.idx";
}

// Creates every folder named by the text before a backslash; the ones that
// exist already are left alone.
void CreateFolderChain(const std::u16string& path)
{
    for (size_t slash = path.find(u'\\'); slash != std::u16string::npos; slash = path.find(u'\\', slash + 1)) {
        P().CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    }
}

}  // namespace

void GetPlatformKey(std::u16string& key)
{
    key.clear();
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!P().GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return;

    const unsigned long major = version.dwMajorVersion & 0xffff;
    const unsigned long minor = version.dwMinorVersion & 0xffff;
    // From Vista on one index serves every language.
    const unsigned long language = major < 6 ? P().GetSystemDefaultUILanguage() : 0;
    AppendNumber(key, major, 2);
    AppendNumber(key, minor, 2);
    key += u'.';
    AppendNumber(key, version.wServicePackMajor, 2);
    AppendNumber(key, 0, 2);
    key += u'.';
    AppendNumber(key, language, 4);
}

WORD FindIndexResource(const std::u16string& key)
{
    for (const IndexResource& row : IndexResourceTable) {
        if (key == row.platformKey) return row.resourceId;
    }
    return 0;
}

int32_t ExtractDigestIndex(std::u16string& indexPath, std::u16string key)
{
    const std::u16string path = IndexFilePath();
    if (path.empty()) return 0;
    CreateFolderChain(path);
    const WORD resourceId = FindIndexResource(key);
    if (resourceId == 0) return 0;
    WriteBinResource(resourceId, path);
    indexPath = path;
    return 1;
}

int32_t WriteBinResource(WORD resourceId, const std::u16string& path)
{
    const HRSRC resource = P().FindResourceW(nullptr, plat::IntResource(resourceId), u"bin");
    const HGLOBAL loaded = resource != nullptr ? P().LoadResource(nullptr, resource) : nullptr;
    const void* data = loaded != nullptr ? P().LockResource(loaded) : nullptr;
    const DWORD size = data != nullptr ? P().SizeofResource(nullptr, resource) : 0;

    // Created even without the resource: an empty file is what the readers
    // then find, not the content of an earlier run.
    plat::UniqueFile file(P().CreateFileW(path.c_str(), GENERIC_ALL, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (file.Valid() && size != 0) {
        DWORD written = 0;
        P().WriteFile(file.Get(), data, size, &written, nullptr);
    }
    file.Reset();
    if (loaded != nullptr) P().FreeResource(loaded);
    return 1;
}

std::span<const uint8_t> BinResourceBytes(WORD resourceId)
{
    const HRSRC resource = P().FindResourceW(nullptr, plat::IntResource(resourceId), u"bin");
    if (resource == nullptr) return {};
    const HGLOBAL loaded = P().LoadResource(nullptr, resource);
    const void* data = loaded != nullptr ? P().LockResource(loaded) : nullptr;
    if (data == nullptr) return {};
    return {static_cast<const uint8_t*>(data), P().SizeofResource(nullptr, resource)};
}
