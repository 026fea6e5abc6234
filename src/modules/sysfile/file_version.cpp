#include "modules/sysfile/file_version.h"

#include <cstring>
#include <new>
#include <vector>

#include "common/platform/handles.h"

using plat::P;

namespace {

// Version resources are at most 64 KiB; Windows asks for a few times that to
// hold its conversions. Anything far above is not a version block.
constexpr DWORD kMaxVersionBlockBytes = 1024 * 1024;

bool Allocate(std::vector<unsigned char>& block, DWORD size)
{
    if (size == 0 || size > kMaxVersionBlockBytes) return false;
    try {
        block.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool ReadVersionBlock(const std::u16string& path, std::vector<unsigned char>& block)
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    const bool vistaOrLater = P().GetVersionExW(&version) && version.dwMajorVersion >= 6;
    DWORD handle = 0;
    if (!vistaOrLater) {
        const DWORD size = P().GetFileVersionInfoSizeW(path.c_str(), &handle);
        return Allocate(block, size) && P().GetFileVersionInfoW(path.c_str(), handle, size, block.data());
    }
    // Windows Vista and later: the Ex forms, which earlier releases lack.
    const plat::UniqueLibrary library(P().LoadLibraryW(u"version.dll"));
    if (!library) return false;
    const auto sizeEx = reinterpret_cast<plat::GetFileVersionInfoSizeExWFn>(
        reinterpret_cast<void*>(P().GetProcAddress(library.Get(), "GetFileVersionInfoSizeExW")));
    const auto infoEx = reinterpret_cast<plat::GetFileVersionInfoExWFn>(
        reinterpret_cast<void*>(P().GetProcAddress(library.Get(), "GetFileVersionInfoExW")));
    if (sizeEx == nullptr || infoEx == nullptr) return false;
    const DWORD size = sizeEx(0, path.c_str(), &handle);
    return Allocate(block, size) && infoEx(0, path.c_str(), handle, size, block.data());
}

// What VerQueryValueW found, provided it lies inside the block: the block
// came from a file, and the query only hands back a pointer and a count.
bool QueryInBlock(const std::vector<unsigned char>& block, const char16_t* subBlock, size_t unitBytes,
                  const unsigned char** value, size_t* units)
{
    void* found = nullptr;
    UINT length = 0;
    if (!P().VerQueryValueW(block.data(), subBlock, &found, &length)) return false;
    const auto* start = static_cast<const unsigned char*>(found);
    const unsigned char* const begin = block.data();
    const unsigned char* const end = begin + block.size();
    if (length != 0 && (start < begin || start > end || static_cast<size_t>(end - start) / unitBytes < length)) {
        return false;
    }
    *value = start;
    *units = length;
    return true;
}

bool IsTrailingSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

int32_t GetFileVersionText(const std::u16string& path, std::u16string& text)
{
    std::vector<unsigned char> block;
    if (!ReadVersionBlock(path, block)) return 0;

    const unsigned char* translations = nullptr;
    size_t translationBytes = 0;
    if (!QueryInBlock(block, u"\\VarFileInfo\\Translation", 1, &translations, &translationBytes)) return 1;

    static const char16_t hex[] = u"0123456789abcdef";
    for (size_t entry = 0; entry + 4 <= translationBytes; entry += 4) {
        // Language, then code page, each 16 bits little-endian.
        const unsigned language = translations[entry] | translations[entry + 1] << 8;
        const unsigned codePage = translations[entry + 2] | translations[entry + 3] << 8;
        std::u16string query = u"\\StringFileInfo\\";
        for (const unsigned value : {language, codePage}) {
            for (int shift = 12; shift >= 0; shift -= 4) query += hex[(value >> shift) & 0xf];
        }
        query += u"\\FileVersion";

        const unsigned char* value = nullptr;
        size_t chars = 0;
        if (!QueryInBlock(block, query.c_str(), sizeof(char16_t), &value, &chars)) continue;
        std::u16string found(chars, u'\0');
        if (chars != 0) std::memcpy(found.data(), value, chars * sizeof(char16_t));
        // The count includes the terminator; the text ends at the first null.
        const size_t terminator = found.find(u'\0');
        if (terminator != std::u16string::npos) found.resize(terminator);
        while (!found.empty() && IsTrailingSpace(found.back())) found.pop_back();
        text = found;
    }
    return 1;
}
