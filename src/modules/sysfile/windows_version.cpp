#include "modules/sysfile/windows_version.h"

#include "common/platform/platform.h"

WindowsVersion ReadWindowsVersion()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!plat::P().GetVersionExW(&info)) return {};
    return {info.dwMajorVersion, info.dwMinorVersion};
}
