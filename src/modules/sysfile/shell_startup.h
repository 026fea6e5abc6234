// The Winlogon "Userinit" and "Shell" values: when they stop naming
// "userinit.exe" and "explorer.exe" the user logs on to a desktop without icons.
#pragma once

#include <cstdint>

// 1 when "Userinit" contains "userinit.exe" and "Shell" contains "explorer.exe"
// (case-insensitive).
int32_t IsShellStartupHealthy();

// Writes "Userinit" = system folder + "userinit.exe" and "Shell" = Windows
// folder + "explorer.exe" as REG_SZ. Writes nothing to the report; does
// nothing once the run was asked to stop.
void RepairShellStartup();
