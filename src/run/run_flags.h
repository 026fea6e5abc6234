// The four process-wide run flags (0 or 1). During a run only the worker writes
// them; atomics keep the user interface's read after a stop well-defined.
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<int32_t> g_bNeedRestart;
extern std::atomic<int32_t> g_bAskRestart;
extern std::atomic<int32_t> g_bFoundProblem;
extern std::atomic<int32_t> g_bSecondProc;

// The run's completion message, posted to the host window with wParam and lParam 0.
inline constexpr unsigned WM_REPAIR_DONE = 0x0400 + 100;
