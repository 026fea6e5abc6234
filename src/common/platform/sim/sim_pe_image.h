// PE images with a version resource, for the in-memory machine's files, and
// the readers that answer GetFileVersionInfo and VerQueryValueW from them.
// Images are real: the machine finds the version resource by walking the
// file's resource directory, so a file keeps its version wherever it is moved.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/wintypes.h"

namespace plat::sim {

// One string table of the version resource, named by language and code page.
struct VersionStringTable {
    WORD language = 0x0409;
    WORD codePage = 0x04b0;
    // No value: the table has no "FileVersion" string.
    std::optional<std::u16string> fileVersion;
};

struct PeImageParts {
    bool library = true;
    // False: no resource section at all.
    bool withVersionResource = true;
    std::vector<VersionStringTable> tables;
    // Whether "\VarFileInfo\Translation" names every table, in order.
    bool listTranslations = true;
    // Bytes after the headers and the resource section.
    std::string body;
};

std::string BuildPeImage(const PeImageParts& parts);
// A library image whose one string table (0409, 04b0) holds the FileVersion text.
std::string VersionedImage(std::u16string_view fileVersion, std::string_view body = {});

// The raw version resource (VS_VERSIONINFO) of an image, or the error that
// GetFileVersionInfoSizeW reports: ERROR_RESOURCE_DATA_NOT_FOUND for a file
// that is no PE image or has no resources, ERROR_RESOURCE_TYPE_NOT_FOUND for
// one without a version resource. Every read is bounded by the content.
struct VersionResourceLookup {
    std::optional<std::string> resource;
    DWORD error = 0;
};
VersionResourceLookup FindVersionResource(std::string_view image);

// VerQueryValueW over a block of `size` bytes: "\" for VS_FIXEDFILEINFO, a
// path such as "\StringFileInfo\040904b0\FileVersion" for a value. Names are
// matched without regard to case. Text values report characters, others bytes.
bool QueryVersionValue(const void* block, size_t size, std::u16string_view subBlock, const void** value,
                       UINT* length);

}  // namespace plat::sim
