#include "app/continuation.h"

#include "common/platform/platform.h"
#include "run/run_flags.h"
#include "ui/logic/command_switch.h"

bool ContinuationRequested()
{
    const char16_t* commandLine = plat::P().GetCommandLineW();
    return commandLine != nullptr && ui::HasContinuationSwitch(commandLine);
}

void RunContinuation(IRepairHost* host, const ModuleSlots& slots)
{
    g_bSecondProc = 1;
    RunRepairWith(host, slots);
}
