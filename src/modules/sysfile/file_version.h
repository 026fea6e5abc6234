// The "FileVersion" text of a file's version resource.
#pragma once

#include <cstdint>
#include <string>

// 1 when the file's version information could be read; text then holds the
// FileVersion string of its last translation, trailing white space removed
// (unchanged when the file lists no translation). 0 for a missing file or one
// without version information.
int32_t GetFileVersionText(const std::u16string& path, std::u16string& text);
