// The process from its entry to its exit code: COM, error mode, common
// controls, the main dialog run modally, and the wait for a run still going.
#pragma once

#include <windows.h>

#include "run/module_slots.h"

// Returns the main dialog's modal result: 1 (OK), 2 (Cancel), 0 after a continuation run.
int RunProgram(HINSTANCE instance, const ModuleSlots& slots);
