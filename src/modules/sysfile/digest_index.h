// The reference digest index of a platform: for each known system file, the
// MD5 of its normalised path and the MD5 of its clean content. The index is a
// bare sequence of 32-byte records sorted by path digest; it comes from the
// program's resources through a file on disk, so every read of it is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "modules/sysfile/md5.h"

struct DigestRecord {
    Md5Digest KeyDigest;
    Md5Digest ContentDigest;
};
static_assert(sizeof(DigestRecord) == 32);

inline constexpr size_t DIGEST_RECORD_SIZE = 32;

// Bytes of a trailing partial record are not part of the index.
inline size_t DigestRecordCount(std::span<const uint8_t> index) { return index.size() / DIGEST_RECORD_SIZE; }

// Replaces every occurrence of the Windows folder text (exact case, left to
// right, not overlapping) by "\systemroot\", then lower-cases A to Z only.
// Returns the number of replacements.
size_t NormalizeSystemPath(std::u16string& path, std::u16string_view windowsFolder);

// MD5 of the normalised path as UTF-16 little-endian, without a terminator.
Md5Digest MakePathKey(std::u16string_view fullPath, std::u16string_view windowsFolder);

enum class DigestLookup {
    Found,
    // Not in the index, but some record's key sorts after it.
    Absent,
    // Every record's key sorts before it, or the index has no record.
    PastTheEnd,
};

struct DigestLookupResult {
    DigestLookup outcome;
    DigestRecord record;  // meaningful for Found only
};

// Binary search (lower bound) over the whole records of the index.
DigestLookupResult LookupDigest(std::span<const uint8_t> index, const Md5Digest& key);

// Files above this size are not read whole: nothing the module hashes comes
// close, and a 32-bit process should not try to hold more at once.
inline constexpr uint32_t MAX_WHOLE_FILE_BYTES = 64u * 1024 * 1024;

// The complete content of a file, or none when it cannot be opened, is empty,
// is larger than MAX_WHOLE_FILE_BYTES, or cannot be read in full.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::u16string& path);

// Index bytes for the records: sorted by KeyDigest, the first record of a
// repeated key kept. Used where indexes are made from a reference machine.
std::vector<uint8_t> BuildDigestIndex(std::vector<DigestRecord> records);
