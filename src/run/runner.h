// One repair run over the four module slots.
#pragma once

#include "common/platform/wintypes.h"
#include "run/module_slots.h"

#ifdef _WIN32
#define VEXLO_THREAD_API WINAPI
#else
#define VEXLO_THREAD_API
#endif

// What a run needs of its host: the window that receives WM_REPAIR_DONE.
class IRepairHost {
public:
    virtual ~IRepairHost() = default;
    virtual HWND GetRepairHostWindow() = 0;
};

// Performs one run with the program's modules and returns 0. A run stopped
// through RequestRepairStop writes no report, arms nothing and posts nothing.
int RunRepair(IRepairHost* host);
int RunRepairWith(IRepairHost* host, const ModuleSlots& slots);

// Worker-thread entry; the argument is the IRepairHost*.
DWORD VEXLO_THREAD_API RepairThreadProc(void* host);

// The RunOnce key and value that start the continuation run after a restart.
inline constexpr char16_t RUNONCE_KEY[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr char16_t RUNONCE_VALUE[] = u"vexloKillerTools";
