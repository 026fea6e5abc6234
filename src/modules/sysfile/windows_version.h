// Major and minor version of the running Windows, 0.0 when it does not say.
#pragma once

#include "common/platform/wintypes.h"

struct WindowsVersion {
    DWORD major = 0;
    DWORD minor = 0;
};

WindowsVersion ReadWindowsVersion();
