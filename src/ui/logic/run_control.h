// The main dialog's run state, kept apart from its window: idle, running, stopping
// (stop asked for, completion pending) and reporting (result dialog open).
//
// There is at most one worker: a run is only started when the worker of the run
// before has ended, also when that run was stopped and is still on its way to
// its next safe point. A stopped run is closed by the completion the dialog
// posts itself; every further completion for it is ignored.
#pragma once

#include <cstdint>

namespace ui {

// The dialog's worker thread as the run control sees it.
class IRepairWorker {
public:
    virtual ~IRepairWorker() = default;
    // Creates the worker of a new run; false when it cannot be created.
    virtual bool Start() = 0;
    // Whether the worker of the current or an earlier run has not ended yet.
    virtual bool IsAlive() = 0;
    // Waits at most this long for the worker to end; true when none is left.
    virtual bool WaitForEnd(uint32_t milliseconds) = 0;
    // Lets go of an ended worker.
    virtual void Release() = 0;
};

enum class RunPhase { Idle, Running, Stopping, Reporting };

enum class StartStopOutcome {
    Started,
    NotStarted,       // the worker could not be created; the dialog stays idle
    WorkerFinishing,  // a stopped run's worker is still busy: no second worker
    Stopped,          // the dialog posts the completion itself now
    Ignored,          // nothing to start or stop in this phase
};

// How long the stop command waits for the worker before it gives the user the result.
inline constexpr uint32_t STOP_WAIT_MS = 200;

class RepairRunControl {
public:
    explicit RepairRunControl(IRepairWorker& worker) : m_worker(worker) {}

    // The start/stop command.
    StartStopOutcome OnStartStop();
    // A completion arrived; true when it closes the open run, so the result dialog is shown.
    bool OnRunDone();
    void OnResultClosed();
    // Whether the start command would start a run now.
    bool CanStart();
    // The dialog is ending: a run still going gives up at its next safe point.
    void OnDialogEnding();
    // Waits at most this long for the worker once the dialog has ended; true when none is left.
    bool WaitForWorkerToEnd(uint32_t milliseconds);

    RunPhase Phase() const { return m_phase; }
    // The stop flag the result dialog reads: set by the stop command, cleared at each start.
    const int32_t* StopFlag() const { return &m_bStop; }

private:
    IRepairWorker& m_worker;
    RunPhase m_phase = RunPhase::Idle;
    int32_t m_bStop = 0;
};

}  // namespace ui
