#include "modules/sysfile/system_folders.h"

#include <vector>

#include "common/platform/platform.h"

using plat::P;

namespace {

using FolderCall = UINT (plat::ISystemFolderApi::*)(char16_t*, UINT);

void GetFolder(FolderCall call, std::u16string& folder)
{
    folder.clear();
    plat::ISystemFolderApi& api = P();
    // Asked for its length first; the buffer has room for one more character.
    const UINT needed = (api.*call)(nullptr, 0);
    if (needed == 0) return;
    std::vector<char16_t> buffer(static_cast<size_t>(needed) + 1, u'\0');
    const UINT length = (api.*call)(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return;
    folder.assign(buffer.data(), length);
    if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
}

}  // namespace

void GetSystemFolder(std::u16string& folder) { GetFolder(&plat::ISystemFolderApi::GetSystemDirectoryW, folder); }

void GetWindowsFolder(std::u16string& folder) { GetFolder(&plat::ISystemFolderApi::GetWindowsDirectoryW, folder); }
