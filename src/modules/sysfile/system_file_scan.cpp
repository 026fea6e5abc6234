// The two scans of system files: files that cannot be used at all, and files
// older than the reference build or altered while keeping its version.
#include <algorithm>
#include <optional>
#include <span>

#include "modules/sysfile/digest_index.h"
#include "modules/sysfile/file_version.h"
#include "modules/sysfile/kill_mendora.h"
#include "modules/sysfile/pe_image.h"
#include "modules/sysfile/platform_key.h"
#include "modules/sysfile/probe_names.h"
#include "modules/sysfile/reference_versions.h"
#include "modules/sysfile/system_folders.h"

namespace {

struct ScanBasis {
    std::u16string platformKey;
    std::u16string systemFolder;
    std::u16string windowsFolder;
    std::vector<uint8_t> index;
};

// The platform's index, freshly written to the index file and read back.
// The file lies in a folder that every user can write to, and a write that
// fails leaves what was there before: only a file that holds exactly the
// program's own index for this platform decides which system files are
// replaced. Without both folders no path could be built.
std::optional<ScanBasis> PrepareScan()
{
    ScanBasis basis;
    GetPlatformKey(basis.platformKey);
    std::u16string indexPath;
    if (!ExtractDigestIndex(indexPath, basis.platformKey)) return std::nullopt;
    std::optional<std::vector<uint8_t>> index = ReadWholeFile(indexPath);
    if (!index) return std::nullopt;
    const std::span<const uint8_t> reference = BinResourceBytes(FindIndexResource(basis.platformKey));
    if (!std::equal(index->begin(), index->end(), reference.begin(), reference.end())) return std::nullopt;
    basis.index = std::move(*index);
    GetSystemFolder(basis.systemFolder);
    GetWindowsFolder(basis.windowsFolder);
    if (basis.systemFolder.empty() || basis.windowsFolder.empty()) return std::nullopt;
    return basis;
}

// Whether the index knows the file. A key that sorts past the last record is
// simply not in it: keys are digests, so that says nothing about the paths
// examined later, and stopping there would hide every later damaged file
// (with a small index, most of them).
bool Known(const DigestLookupResult& lookup) { return lookup.outcome == DigestLookup::Found; }

std::u16string Hex(const Md5Digest& digest)
{
    std::u16string text;
    DigestToHex(digest, text);
    return text;
}

}  // namespace

int32_t CKillMendora::ScanMissingFiles()
{
    const std::optional<ScanBasis> basis = PrepareScan();
    if (!basis) return 0;

    std::vector<std::u16string> paths;
    for (const char16_t* name : ProbeNames) paths.push_back(basis->systemFolder + name);
    paths.push_back(basis->systemFolder + u"drivers\\netbios.sys");
    paths.push_back(basis->windowsFolder + u"explorer.exe");
    paths.push_back(basis->windowsFolder + u"regedit.exe");

    for (const std::u16string& path : paths) {
        std::u16string version;
        if (IsPeImage(path) && GetFileVersionText(path, version)) continue;
        const DigestLookupResult found = LookupDigest(basis->index, MakePathKey(path, basis->windowsFolder));
        if (!Known(found)) continue;
        m_aReplace.push_back({path, Hex(found.record.ContentDigest)});
    }
    return m_aReplace.empty() ? 0 : 1;
}

int32_t CKillMendora::ScanVersionTable()
{
    const std::optional<ScanBasis> basis = PrepareScan();
    if (!basis) return 0;

    int32_t result = 0;
    for (const ReferenceVersionRow& row : ReferenceVersionTable()) {
        if (basis->platformKey != row.platformKey) continue;
        const std::u16string path = basis->systemFolder + row.fileName;
        std::u16string version;
        if (!GetFileVersionText(path, version)) continue;
        // Plain text order of UTF-16 units: a later build sorts after the reference.
        const int order = version.compare(row.versionText);
        if (order > 0) continue;
        const DigestLookupResult found = LookupDigest(basis->index, MakePathKey(path, basis->windowsFolder));
        if (!Known(found)) continue;
        if (order == 0) {
            const std::optional<std::vector<uint8_t>> content = ReadWholeFile(path);
            if (!content || Md5(content->data(), content->size()) == found.record.ContentDigest) continue;
        }
        m_aReplace.push_back({path, Hex(found.record.ContentDigest)});
        result = 1;
    }
    return result;
}
