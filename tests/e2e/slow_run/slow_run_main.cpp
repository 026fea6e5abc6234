// The program with a slow module in the second slot and the do-nothing module
// in the others, for the cases that stop a run or close the dialog while a
// module is busy. Its check is one step of a few seconds that cannot be
// interrupted, as a file replacement would be, and then reports damage, so a
// run that completes has something to say.
#include <windows.h>

#include <memory>

#include "app/start_up.h"
#include "common/platform/platform.h"
#include "run/module_slots.h"
#include "run/report.h"

namespace {

constexpr DWORD kSlowStepMs = 8000;

class CSlowModule : public IModuleKillClientNull {
public:
    int32_t Check() override
    {
        plat::P().Sleep(kSlowStepMs);
        return 1;
    }
};

template <class Module>
std::unique_ptr<IModuleKillClient> Create()
{
    return std::make_unique<Module>();
}

const ReportText HEADING_SLOW = MakeReportText("slow test module\r\n");

const ModuleSlots& SlowSlots()
{
    static const ModuleSlots slots = [] {
        ModuleSlots s = DefaultModuleSlots();
        for (ModuleSlot& slot : s) slot.create = &Create<IModuleKillClientNull>;
        s[1] = ModuleSlot{&Create<CSlowModule>, HEADING_SLOW, false};
        return s;
    }();
    return slots;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunProgram(instance, SlowSlots()); }
