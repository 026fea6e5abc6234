// The in-memory machine's restart: what Windows does at the next start with
// the queue of delayed moves, and at the logon with the RunOnce commands.
#include <gtest/gtest.h>

#include "common/platform/sim/sim_machine.h"

namespace {

using plat::sim::SimMachine;

constexpr DWORD kAtRestart = MOVEFILE_DELAY_UNTIL_REBOOT;

TEST(SimRestartTest, QueuedMovesAndDeletionsAreCarriedOutInOrder)
{
    SimMachine machine;
    machine.AddFile(u"C:\\a\\new.dll", "new");
    machine.AddFile(u"C:\\a\\target.dll", "old");
    machine.AddFile(u"C:\\a\\kept.dll", "kept");
    machine.AddFile(u"C:\\a\\other.dll", "other");
    machine.AddFile(u"C:\\a\\gone.dll", "gone");
    machine.AddFile(u"C:\\a\\second.dll", "second");
    const DWORD process = machine.StartProcess(u"C:\\a\\app.exe", {u"C:\\a\\target.dll"});

    ASSERT_TRUE(machine.MoveFileExW(u"C:\\a\\new.dll", u"C:\\a\\target.dll", kAtRestart | MOVEFILE_REPLACE_EXISTING));
    // Without the replace flag an existing target stays.
    ASSERT_TRUE(machine.MoveFileExW(u"C:\\a\\other.dll", u"C:\\a\\kept.dll", kAtRestart));
    ASSERT_TRUE(machine.MoveFileExW(u"C:\\a\\gone.dll", nullptr, kAtRestart));
    ASSERT_TRUE(machine.MoveFileExW(u"C:\\a\\second.dll", u"C:\\a\\moved.dll", kAtRestart));
    // Nothing to queue for a file that is not there.
    EXPECT_FALSE(machine.MoveFileExW(u"C:\\a\\none.dll", u"C:\\a\\x.dll", kAtRestart));
    EXPECT_EQ(machine.PendingRenames(),
              (std::vector<std::pair<std::u16string, std::u16string>>{{u"C:\\a\\new.dll", u"C:\\a\\target.dll"},
                                                                      {u"C:\\a\\other.dll", u"C:\\a\\kept.dll"},
                                                                      {u"C:\\a\\gone.dll", u""},
                                                                      {u"C:\\a\\second.dll", u"C:\\a\\moved.dll"}}));
    EXPECT_EQ(machine.FileContent(u"C:\\a\\target.dll"), "old");

    machine.SimulateRestart();
    EXPECT_FALSE(machine.ProcessRunning(process));
    EXPECT_EQ(machine.FileContent(u"C:\\a\\target.dll"), "new");
    EXPECT_EQ(machine.FileContent(u"C:\\a\\kept.dll"), "kept");
    EXPECT_EQ(machine.FileContent(u"C:\\a\\other.dll"), "other");
    EXPECT_FALSE(machine.Exists(u"C:\\a\\gone.dll"));
    EXPECT_EQ(machine.FileContent(u"C:\\a\\moved.dll"), "second");
    EXPECT_TRUE(machine.PendingRenames().empty());
    // No longer loaded, so it can go.
    EXPECT_TRUE(machine.DeleteFileW(u"C:\\a\\target.dll"));
}

TEST(SimRestartTest, LogonRunsEachRunOnceCommandOnce)
{
    SimMachine machine;
    const std::u16string runOnce = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    machine.SetRegString(HKEY_LOCAL_MACHINE, runOnce, u"vexloKillerTools",
                         u"\"C:\\Program Files\\Vexlo\\VexloRepair.exe\" second_proc");
    machine.SetRegString(HKEY_CURRENT_USER, runOnce, u"user", u"user.exe");
    machine.SimulateRestart();
    EXPECT_EQ(machine.LogonCommands(),
              (std::vector<std::u16string>{u"\"C:\\Program Files\\Vexlo\\VexloRepair.exe\" second_proc", u"user.exe"}));
    EXPECT_FALSE(machine.GetRegValue(HKEY_LOCAL_MACHINE, runOnce, u"vexloKillerTools"));
    machine.SimulateRestart();
    EXPECT_EQ(machine.LogonCommands().size(), 2u);
}

}  // namespace
