// The continuation run after a restart: started with " second_proc" in the
// command line, it repeats the whole repair silently and the process exits 0.
#pragma once

#include "run/module_slots.h"
#include "run/runner.h"

// Whether this process was started as the continuation run.
bool ContinuationRequested();
// One repair run on the calling thread, as the continuation run: it neither
// arms another continuation nor offers a restart. The host may be null.
void RunContinuation(IRepairHost* host, const ModuleSlots& slots);
