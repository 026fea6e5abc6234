#include "modules/sysfile/pe_image.h"

#include "common/platform/handles.h"

using plat::P;

int32_t IsPeImage(const std::u16string& path, int32_t* isLibrary)
{
    plat::UniqueFile file(P().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return 0;

    // A file shorter than the DOS header has no e_lfanew to follow.
    unsigned char dosHeader[64] = {};
    DWORD read = 0;
    if (!P().ReadFile(file.Get(), dosHeader, sizeof dosHeader, &read, nullptr) || read != sizeof dosHeader) {
        return 0;
    }
    if (dosHeader[0] != 'M' || dosHeader[1] != 'Z') return 0;

    const uint32_t lfanew = static_cast<uint32_t>(dosHeader[60]) | static_cast<uint32_t>(dosHeader[61]) << 8 |
                            static_cast<uint32_t>(dosHeader[62]) << 16 | static_cast<uint32_t>(dosHeader[63]) << 24;
    const LONG peOffset = static_cast<LONG>(lfanew);
    // Without a high half the distance is a signed 32-bit offset: a negative
    // e_lfanew fails here, one past the end leaves nothing to read below.
    if (P().SetFilePointer(file.Get(), peOffset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return 0;
    unsigned char fileHeader[24] = {};
    if (!P().ReadFile(file.Get(), fileHeader, sizeof fileHeader, &read, nullptr) || read != sizeof fileHeader) {
        return 0;
    }
    if (fileHeader[0] != 'P' || fileHeader[1] != 'E') return 0;

    if (isLibrary != nullptr) {
        const unsigned characteristics =
            static_cast<unsigned>(fileHeader[22]) | static_cast<unsigned>(fileHeader[23]) << 8;
        *isLibrary = (characteristics & IMAGE_FILE_DLL) != 0 ? 1 : 0;
    }
    return 1;
}
