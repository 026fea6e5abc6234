// The version text each checked system file carries in the reference build of
// each platform. The rows are generated from data/reference_versions.tsv.
#pragma once

#include <cstddef>
#include <span>

struct ReferenceVersionRow {
    const char16_t* platformKey;
    // Relative to the system folder.
    const char16_t* fileName;
    const char16_t* versionText;
};

// All rows, in the order of the data file: grouped by platform key.
std::span<const ReferenceVersionRow> ReferenceVersionTable();
