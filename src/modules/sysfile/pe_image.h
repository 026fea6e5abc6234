// Whether a file is a PE image: "MZ", and "PE" at the offset the DOS header
// names.
#pragma once

#include <cstdint>
#include <string>

// 1 for a PE image; isLibrary, when given, receives 1 when the image is a
// library (IMAGE_FILE_DLL). A file that cannot be opened is not an image.
int32_t IsPeImage(const std::u16string& path, int32_t* isLibrary = nullptr);
