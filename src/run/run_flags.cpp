#include "run/run_flags.h"

std::atomic<int32_t> g_bNeedRestart{0};
std::atomic<int32_t> g_bAskRestart{0};
std::atomic<int32_t> g_bFoundProblem{0};
std::atomic<int32_t> g_bSecondProc{0};
