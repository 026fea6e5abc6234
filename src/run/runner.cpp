#include "run/runner.h"

#include <memory>
#include <string>
#include <vector>

#include "common/platform/handles.h"
#include "run/run_flags.h"
#include "run/stop_request.h"

using plat::P;

namespace {

// No exception may cross a module boundary: one escaping counts as nothing found.
int32_t CallGuarded(IModuleKillClient& module, int32_t (IModuleKillClient::*operation)())
{
    try {
        return (module.*operation)();
    } catch (...) {
        return 0;
    }
}

std::unique_ptr<IModuleKillClient> CreateGuarded(ModuleFactory create)
{
    try {
        return create();
    } catch (...) {
        return nullptr;
    }
}

void ArmContinuation()
{
    plat::UniqueRegKey runOnce;
    if (P().RegOpenKeyExW(HKEY_LOCAL_MACHINE, RUNONCE_KEY, 0, KEY_ALL_ACCESS, runOnce.Receive()) != ERROR_SUCCESS) return;
    constexpr DWORD kPathChars = 512;
    char16_t path[kPathChars] = {};
    const DWORD length = P().GetModuleFileNameW(nullptr, path, kPathChars);
    // A truncated path would start some other file after the restart.
    if (length == 0 || length >= kPathChars) return;
    std::u16string data;
    data.reserve(length + 16);
    data.append(u"\"").append(path, length).append(u"\" second_proc");
    P().RegSetValueExW(runOnce.Get(), RUNONCE_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(char16_t)));
}

}  // namespace

int RunRepairWith(IRepairHost* host, const ModuleSlots& slots)
{
    g_bAskRestart = 0;
    g_bNeedRestart = 0;
    ReportAssign(u"");
    SYSTEMTIME now = {};
    P().GetLocalTime(&now);
    ReportFormatStartLine(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    const size_t lengthBefore = ReportLength();

    // Modules live until the completion message has been posted.
    std::vector<std::unique_ptr<IModuleKillClient>> modules;
    for (const ModuleSlot& slot : slots) {
        if (RepairStopRequested()) return 0;
        modules.push_back(CreateGuarded(slot.create));
        IModuleKillClient* module = modules.back().get();
        if (module == nullptr) continue;
        if (CallGuarded(*module, &IModuleKillClient::Check) == 0) continue;
        ReportAppend(slot.heading);
        CallGuarded(*module, &IModuleKillClient::Fix);
        if (slot.needsRestart) g_bNeedRestart = 1;
    }
    if (RepairStopRequested()) return 0;

    if (ReportLength() == lengthBefore) {
        ReportAppend(REPORT_NOTHING_FOUND);
    } else {
        g_bFoundProblem = 1;
    }
    ReportAppend(REPORT_SEPARATOR);
    WriteReportFile();

    if (g_bSecondProc == 0) {
        if (g_bNeedRestart == 1) {
            g_bAskRestart = 1;
            ArmContinuation();
        }
        if (g_bAskRestart == 1) P().RestartDialog(nullptr, nullptr, EWX_REBOOT);
    }

    if (host != nullptr) P().PostMessageW(host->GetRepairHostWindow(), WM_REPAIR_DONE, 0, 0);
    while (!modules.empty()) modules.pop_back();
    return 0;
}

int RunRepair(IRepairHost* host) { return RunRepairWith(host, DefaultModuleSlots()); }

DWORD VEXLO_THREAD_API RepairThreadProc(void* host)
{
    RunRepair(static_cast<IRepairHost*>(host));
    return 0;
}
