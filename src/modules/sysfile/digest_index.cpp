#include "modules/sysfile/digest_index.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/platform/handles.h"

using plat::P;

namespace {

constexpr char16_t kSystemRoot[] = u"\\systemroot\\";

}  // namespace

size_t NormalizeSystemPath(std::u16string& path, std::u16string_view windowsFolder)
{
    size_t replacements = 0;
    if (!windowsFolder.empty()) {
        const std::u16string_view systemRoot(kSystemRoot);
        for (size_t pos = path.find(windowsFolder); pos != std::u16string::npos;
             pos = path.find(windowsFolder, pos + systemRoot.size())) {
            path.replace(pos, windowsFolder.size(), systemRoot);
            ++replacements;
        }
    }
    for (char16_t& c : path) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return replacements;
}

Md5Digest MakePathKey(std::u16string_view fullPath, std::u16string_view windowsFolder)
{
    std::u16string normalized(fullPath);
    NormalizeSystemPath(normalized, windowsFolder);
    // Serialised explicitly so the key does not depend on the host's byte order.
    std::vector<uint8_t> bytes;
    bytes.reserve(normalized.size() * 2);
    for (const char16_t c : normalized) {
        bytes.push_back(static_cast<uint8_t>(c & 0xff));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return Md5(bytes.data(), bytes.size());
}

DigestLookupResult LookupDigest(std::span<const uint8_t> index, const Md5Digest& key)
{
    const size_t n = DigestRecordCount(index);
    // Every record touched below has an index under n, so all its 32 bytes lie
    // inside the buffer.
    size_t first = 0;
    size_t count = n;
    while (count > 0) {
        const size_t step = count / 2;
        const uint8_t* probe = index.data() + (first + step) * DIGEST_RECORD_SIZE;
        if (std::memcmp(probe, key.data(), key.size()) < 0) {
            first += step + 1;
            count -= step + 1;
        } else {
            count = step;
        }
    }
    DigestLookupResult result{DigestLookup::PastTheEnd, {}};
    if (first == n) return result;
    std::memcpy(&result.record, index.data() + first * DIGEST_RECORD_SIZE, DIGEST_RECORD_SIZE);
    result.outcome = result.record.KeyDigest == key ? DigestLookup::Found : DigestLookup::Absent;
    return result;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::u16string& path)
{
    plat::UniqueFile file(P().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return std::nullopt;

    // The high half is asked for so that a file of 4 GiB or more is refused
    // instead of being taken for the small file its low half describes. A
    // failed call answers INVALID_FILE_SIZE, which is above the bound too.
    DWORD sizeHigh = 0;
    const DWORD size = P().GetFileSize(file.Get(), &sizeHigh);
    if (sizeHigh != 0 || size == 0 || size > MAX_WHOLE_FILE_BYTES) return std::nullopt;

    std::vector<uint8_t> content;
    try {
        content.resize(size);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    // A file that shrank, or a read cut short, would otherwise be hashed as
    // if it were the whole file.
    DWORD read = 0;
    if (!P().ReadFile(file.Get(), content.data(), size, &read, nullptr) || read != size) return std::nullopt;
    return content;
}

std::vector<uint8_t> BuildDigestIndex(std::vector<DigestRecord> records)
{
    const auto keyLess = [](const DigestRecord& x, const DigestRecord& y) {
        return std::memcmp(x.KeyDigest.data(), y.KeyDigest.data(), x.KeyDigest.size()) < 0;
    };
    std::stable_sort(records.begin(), records.end(), keyLess);
    const auto last = std::unique(records.begin(), records.end(), [](const DigestRecord& x, const DigestRecord& y) {
        return x.KeyDigest == y.KeyDigest;
    });
    records.erase(last, records.end());

    std::vector<uint8_t> index(records.size() * DIGEST_RECORD_SIZE);
    for (size_t i = 0; i < records.size(); ++i) {
        std::memcpy(index.data() + i * DIGEST_RECORD_SIZE, &records[i], DIGEST_RECORD_SIZE);
    }
    return index;
}
