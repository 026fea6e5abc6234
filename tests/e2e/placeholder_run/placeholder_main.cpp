// The program with the do-nothing module in every slot: for the cases about
// the run itself (report, log file, dialogs) that need a run that finds
// nothing, whatever the prefix holds. The repair modules do find things in a
// pristine prefix (Wine lacks system files that the shipped indexes know).
#include <windows.h>

#include <memory>

#include "app/start_up.h"
#include "run/module_slots.h"

namespace {

std::unique_ptr<IModuleKillClient> CreatePlaceholder() { return std::make_unique<IModuleKillClientNull>(); }

const ModuleSlots& PlaceholderSlots()
{
    static const ModuleSlots slots = [] {
        ModuleSlots s = DefaultModuleSlots();
        for (ModuleSlot& slot : s) slot.create = &CreatePlaceholder;
        return s;
    }();
    return slots;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunProgram(instance, PlaceholderSlots()); }
