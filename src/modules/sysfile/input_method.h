// The input-method host "ctfmon.exe" and the language-bar settings of the
// current user.
#pragma once

#include <cstdint>

#include "common/platform/wintypes.h"

// Process id of a running "ctfmon.exe" (the last one found), 0 when none.
DWORD FindCtfmonProcess();

// 1 when the host runs (not looked for on Windows Vista) and the settings are
// as the registry file IMEFIX.REG leaves them.
int32_t IsInputMethodHealthy();

// Ends a running host, clears "Disable Thread Input Manager", imports IMEFIX.REG
// (resource 233) with "regedit.exe /s" from the temporary folder and starts the
// host from the system folder. Writes nothing to the report; does nothing
// once the run was asked to stop.
void RepairInputMethod();
