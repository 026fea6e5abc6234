#include "run/stop_request.h"

#include <atomic>

namespace {
std::atomic<bool> g_stopRequested{false};
}

void RequestRepairStop() { g_stopRequested.store(true); }
void ClearRepairStop() { g_stopRequested.store(false); }
bool RepairStopRequested() { return g_stopRequested.load(); }
