// The main dialog's run state: idle, running, stopping, reporting, and never
// a second worker while the first is alive.
#include <gtest/gtest.h>

#include <vector>

#include "run/run_flags.h"
#include "run/stop_request.h"
#include "ui/logic/run_control.h"

namespace {

// A worker whose life the test decides.
class FakeWorker : public ui::IRepairWorker {
public:
    bool Start() override
    {
        ++starts;
        if (!startSucceeds) return false;
        // The run control must have let go of the previous worker first.
        if (held) ++secondWorkers;
        held = true;
        alive = true;
        return true;
    }
    bool IsAlive() override { return alive; }
    bool WaitForEnd(uint32_t milliseconds) override
    {
        waits.push_back(milliseconds);
        if (endsWhenWaitedFor) alive = false;
        return !alive;
    }
    void Release() override
    {
        if (!alive) held = false;
    }

    bool startSucceeds = true;
    bool endsWhenWaitedFor = true;
    bool alive = false;
    bool held = false;
    int starts = 0;
    int secondWorkers = 0;
    std::vector<uint32_t> waits;
};

class RunControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearRepairStop();
        g_bFoundProblem = 0;
    }
    void TearDown() override
    {
        ClearRepairStop();
        g_bFoundProblem = 0;
    }

    FakeWorker worker;
    ui::RepairRunControl control{worker};
};

TEST_F(RunControlTest, StartResetsTheLastRunAndACompletedRunReportsOnce)
{
    g_bFoundProblem = 1;
    RequestRepairStop();
    ASSERT_EQ(control.OnStartStop(), ui::StartStopOutcome::Started);
    EXPECT_EQ(control.Phase(), ui::RunPhase::Running);
    EXPECT_EQ(g_bFoundProblem, 0);
    EXPECT_FALSE(RepairStopRequested());
    EXPECT_EQ(*control.StopFlag(), 0);

    worker.alive = false;  // the run ended by itself and posted its completion
    EXPECT_TRUE(control.OnRunDone());
    EXPECT_EQ(control.Phase(), ui::RunPhase::Reporting);
    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::Ignored);
    EXPECT_FALSE(control.OnRunDone());
    control.OnResultClosed();
    EXPECT_EQ(control.Phase(), ui::RunPhase::Idle);
    EXPECT_TRUE(control.CanStart());

    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::Started);
    EXPECT_EQ(worker.secondWorkers, 0);
}

TEST_F(RunControlTest, StopWaitsTwoHundredMillisecondsAndTheResultOpensOnceForBothCompletions)
{
    control.OnStartStop();
    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::Stopped);
    EXPECT_EQ(worker.waits, std::vector<uint32_t>{ui::STOP_WAIT_MS});
    EXPECT_EQ(ui::STOP_WAIT_MS, 200u);
    EXPECT_TRUE(RepairStopRequested());
    EXPECT_EQ(*control.StopFlag(), 1);
    EXPECT_EQ(control.Phase(), ui::RunPhase::Stopping);
    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::Ignored);

    // The worker ended after its last safe point and posted; the dialog posted as well.
    EXPECT_TRUE(control.OnRunDone());
    EXPECT_FALSE(control.OnRunDone());
    EXPECT_EQ(*control.StopFlag(), 1);  // the result dialog says the user stopped it
    control.OnResultClosed();
    EXPECT_TRUE(control.CanStart());
}

TEST_F(RunControlTest, AStoppedWorkerStillBusyBlocksTheNextStartUntilItEnds)
{
    worker.endsWhenWaitedFor = false;
    control.OnStartStop();
    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::Stopped);
    EXPECT_TRUE(control.OnRunDone());  // the dialog's own completion, at once
    control.OnResultClosed();
    EXPECT_EQ(control.Phase(), ui::RunPhase::Idle);

    EXPECT_FALSE(control.CanStart());
    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::WorkerFinishing);
    EXPECT_EQ(worker.starts, 1);
    EXPECT_FALSE(control.OnRunDone());  // a late completion of the closed run

    worker.alive = false;  // it reached its safe point
    EXPECT_TRUE(control.CanStart());
    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::Started);
    EXPECT_EQ(worker.starts, 2);
    EXPECT_EQ(worker.secondWorkers, 0);
    EXPECT_FALSE(RepairStopRequested());
    EXPECT_EQ(*control.StopFlag(), 0);
}

TEST_F(RunControlTest, AWorkerThatCannotBeCreatedLeavesTheDialogIdle)
{
    worker.startSucceeds = false;
    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::NotStarted);
    EXPECT_EQ(control.Phase(), ui::RunPhase::Idle);
    EXPECT_FALSE(control.OnRunDone());
    worker.startSucceeds = true;
    EXPECT_EQ(control.OnStartStop(), ui::StartStopOutcome::Started);
}

TEST_F(RunControlTest, EndingTheDialogDuringARunAsksItToStopAndWaitsBounded)
{
    control.OnStartStop();
    control.OnDialogEnding();
    EXPECT_TRUE(RepairStopRequested());
    worker.endsWhenWaitedFor = false;
    EXPECT_FALSE(control.WaitForWorkerToEnd(5000));
    EXPECT_EQ(worker.waits.back(), 5000u);
    worker.endsWhenWaitedFor = true;
    EXPECT_TRUE(control.WaitForWorkerToEnd(5000));
    EXPECT_FALSE(worker.held);
}

TEST_F(RunControlTest, EndingTheDialogWhenIdleLeavesTheStopRequestAlone)
{
    control.OnDialogEnding();
    EXPECT_FALSE(RepairStopRequested());
    EXPECT_TRUE(control.WaitForWorkerToEnd(5000));
}

}  // namespace
