// The main dialog's worker thread: one repair run per thread, never cut off;
// a stopped run ends by itself at its next safe point.
#pragma once

#include <windows.h>

#include "run/module_slots.h"
#include "run/runner.h"
#include "ui/logic/run_control.h"

class RepairWorker : public ui::IRepairWorker {
public:
    RepairWorker(IRepairHost& host, const ModuleSlots& slots) : m_host(host), m_slots(slots) {}
    ~RepairWorker() override;
    RepairWorker(const RepairWorker&) = delete;
    RepairWorker& operator=(const RepairWorker&) = delete;

    bool Start() override;
    bool IsAlive() override;
    bool WaitForEnd(uint32_t milliseconds) override;
    void Release() override;

private:
    static DWORD WINAPI ThreadProc(void* self);

    IRepairHost& m_host;
    const ModuleSlots& m_slots;
    HANDLE m_hThread = nullptr;
};
