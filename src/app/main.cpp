// Minimal entry point: one repair run with the program's modules, then exit.
#include "common/platform/win32/win32_platform.h"
#include "run/runner.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    plat::Win32Platform platform;
    plat::InstallPlatform(&platform);
    RunRepair(nullptr);
    plat::InstallPlatform(nullptr);
    return 0;
}
