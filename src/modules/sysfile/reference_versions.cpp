#include "modules/sysfile/reference_versions.h"

namespace {

// Generated at configure time from data/reference_versions.tsv
// (cmake/sysfile_data.cmake), one row a line.
constexpr ReferenceVersionRow kRows[] = {
#include "sysfile/reference_versions.inc"
};

}  // namespace

std::span<const ReferenceVersionRow> ReferenceVersionTable() { return kRows; }
