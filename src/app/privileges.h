// Enabling a privilege in the process's own token. Each returns 1 when the
// token was adjusted (which does not prove the privilege was held), else 0.
#pragma once

#include "common/platform/wintypes.h"

BOOL EnablePrivilege(const char16_t* name);
BOOL EnableDebugPrivilege();
BOOL EnableShutdownPrivilege();
