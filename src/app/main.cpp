// The program's entry point: the repair tool with its four repair modules.
#include <windows.h>

#include "app/start_up.h"
#include "run/module_slots.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunProgram(instance, DefaultModuleSlots()); }
