#include "ui/logic/run_control.h"

#include "run/run_flags.h"
#include "run/stop_request.h"

namespace ui {

StartStopOutcome RepairRunControl::OnStartStop()
{
    switch (m_phase) {
    case RunPhase::Idle:
        if (m_worker.IsAlive()) return StartStopOutcome::WorkerFinishing;
        m_worker.Release();
        m_bStop = 0;
        ClearRepairStop();
        g_bFoundProblem = 0;
        if (!m_worker.Start()) return StartStopOutcome::NotStarted;
        m_phase = RunPhase::Running;
        return StartStopOutcome::Started;
    case RunPhase::Running:
        m_bStop = 1;
        // The worker gives up at its next safe point, never in the middle of a step.
        RequestRepairStop();
        if (m_worker.WaitForEnd(STOP_WAIT_MS)) m_worker.Release();
        m_phase = RunPhase::Stopping;
        return StartStopOutcome::Stopped;
    case RunPhase::Stopping:
    case RunPhase::Reporting:
        break;
    }
    return StartStopOutcome::Ignored;
}

bool RepairRunControl::OnRunDone()
{
    if (m_phase != RunPhase::Running && m_phase != RunPhase::Stopping) return false;
    m_phase = RunPhase::Reporting;
    return true;
}

void RepairRunControl::OnResultClosed()
{
    if (m_phase == RunPhase::Reporting) m_phase = RunPhase::Idle;
}

bool RepairRunControl::CanStart() { return m_phase == RunPhase::Idle && !m_worker.IsAlive(); }

void RepairRunControl::OnDialogEnding()
{
    if (m_worker.IsAlive()) RequestRepairStop();
}

bool RepairRunControl::WaitForWorkerToEnd(uint32_t milliseconds)
{
    if (!m_worker.WaitForEnd(milliseconds)) return false;
    m_worker.Release();
    return true;
}

}  // namespace ui
