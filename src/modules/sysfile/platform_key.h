// The running platform named by one short text, the platform key
// RRRR.SSSS.LLLL (release, service pack, user-interface language before
// Vista), and the reference digest index the program carries for it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/platform/wintypes.h"

struct IndexResource {
    const char16_t* platformKey;
    WORD resourceId;
};

inline constexpr size_t INDEX_RESOURCE_COUNT = 18;
// Searched from the top; ids 214 to 231, not in key order.
extern const IndexResource IndexResourceTable[INDEX_RESOURCE_COUNT];

// The program's resources of type "bin": the 18 indexes and the input-method
// registry file.
inline constexpr WORD IDR_IMEFIX_REG = 233;

// Empties the key, then builds it from the version record; stays empty when
// Windows does not tell its version.
void GetPlatformKey(std::u16string& key);

// Resource id of the key's index, 0 when the key has none.
WORD FindIndexResource(const std::u16string& key);

// Writes the key's index from the resources to "mendora.idx" under
// "morvathTools" in the common application-data folder. 1 with the file's path
// in indexPath; 0, indexPath unchanged, for a key without an index or when
// Windows cannot name the folder. A failed write is not reported: the scans
// then find the file unreadable or stale.
int32_t ExtractDigestIndex(std::u16string& indexPath, std::u16string key);

// Writes the program's resource of type "bin" with that id to the file,
// replacing what was there. Always 1.
int32_t WriteBinResource(WORD resourceId, const std::u16string& path);

// The bytes of the program's resource of type "bin" with that id; empty when
// it has none. They stay valid while the program runs.
std::span<const uint8_t> BinResourceBytes(WORD resourceId);
