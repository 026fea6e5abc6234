#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/platform/sim/sim_machine.h"
#include "run/report.h"
#include "run/run_flags.h"
#include "run/runner.h"
#include "run/stop_request.h"

using plat::sim::SimMachine;

namespace {

const std::u16string kLogPath = u"C:\\Documents and Settings\\All Users\\Application Data\\vexloTools\\Tools.log";
const std::u16string kRunOnce = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string kNothingFound = "\xCE\xB4\xB7\xA2\xCF\xD6\xD2\xEC\xB3\xA3";
const std::string kSeparator = "\r\n" + std::string(69, '=') + "\r\n\r\n";
const std::string kStart = "StartTime:2010-6-5 9:3:7\r\n\r\n";

// What each scripted module does in a run.
struct Script {
    int32_t check = 0;
    std::string checkText;
    std::string fixText;
    bool throwInCheck = false;
    bool askRestart = false;
    bool stopInCheck = false;
};

Script g_scripts[4];
std::vector<std::string> g_calls;

template <int N>
class ScriptedModule : public IModuleKillClientNull {
public:
    ScriptedModule() { g_calls.push_back("new" + std::to_string(N)); }
    ~ScriptedModule() override { g_calls.push_back("delete" + std::to_string(N)); }
    int32_t Check() override
    {
        g_calls.push_back("check" + std::to_string(N));
        const Script& s = g_scripts[N];
        if (s.throwInCheck) throw std::runtime_error("boom");
        ReportAppend(s.checkText.data(), s.checkText.size());
        if (s.stopInCheck) RequestRepairStop();
        return s.check;
    }
    int32_t Fix() override
    {
        g_calls.push_back("fix" + std::to_string(N));
        const Script& s = g_scripts[N];
        ReportAppend(s.fixText.data(), s.fixText.size());
        if (s.askRestart) g_bAskRestart = 1;
        return 1;
    }
};

template <int N>
std::unique_ptr<IModuleKillClient> CreateScripted()
{
    return std::make_unique<ScriptedModule<N>>();
}

class TestHost : public IRepairHost {
public:
    HWND GetRepairHostWindow() override { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234)); }
};

class RunnerTest : public ::testing::Test {
protected:
    SimMachine machine;
    plat::ScopedPlatform installed{machine};
    TestHost host;
    ModuleSlots slots = DefaultModuleSlots();

    void SetUp() override
    {
        for (Script& s : g_scripts) s = Script{};
        g_calls.clear();
        g_bFoundProblem = 0;
        g_bSecondProc = 0;
        ClearRepairStop();
        slots[0].create = &CreateScripted<0>;
        slots[1].create = &CreateScripted<1>;
        slots[2].create = &CreateScripted<2>;
        slots[3].create = &CreateScripted<3>;
    }
    void TearDown() override
    {
        ClearRepairStop();
        g_bSecondProc = 0;
    }

    std::string Log() const { return machine.FileContent(kLogPath).value_or("<no log>"); }
    bool RunOnceArmed() const { return machine.GetRegValue(HKEY_LOCAL_MACHINE, kRunOnce, u"vexloKillerTools").has_value(); }
    size_t Posted() const { return machine.PostedMessages().size(); }
};

}  // namespace

TEST_F(RunnerTest, PlaceholderModulesGiveTheNothingFoundReportAndOnePost)
{
    // The slots' headings and rules, with the do-nothing module in each.
    ModuleSlots placeholders = DefaultModuleSlots();
    for (ModuleSlot& slot : placeholders) {
        slot.create = [] { return std::unique_ptr<IModuleKillClient>(new IModuleKillClientNull); };
    }
    EXPECT_EQ(RunRepairWith(&host, placeholders), 0);
    EXPECT_EQ(Log(), kStart + kNothingFound + kSeparator);
    EXPECT_EQ(g_bFoundProblem, 0);
    EXPECT_FALSE(RunOnceArmed());
    EXPECT_EQ(machine.RestartDialogCalls(), 0);
    const auto posted = machine.PostedMessages();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, 1124u);
    EXPECT_EQ(posted[0].window, host.GetRepairHostWindow());
    EXPECT_EQ(posted[0].wParam, 0u);
    EXPECT_EQ(posted[0].lParam, 0);
}

TEST_F(RunnerTest, ModulesRunInOrderAndAreDestroyedInReverseAfterThePost)
{
    g_scripts[1].check = 1;
    RunRepairWith(&host, slots);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"new0", "check0", "new1", "check1", "fix1", "new2", "check2", "new3",
                                                 "check3", "delete3", "delete2", "delete1", "delete0"}));
}

TEST_F(RunnerTest, TextFromACheckThatFoundNothingStillCountsAsAFinding)
{
    g_scripts[2].checkText = "note\r\n";
    RunRepairWith(&host, slots);
    EXPECT_EQ(Log(), kStart + "note\r\n" + kSeparator);
    EXPECT_EQ(g_bFoundProblem, 1);
    EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "fix2"), 0);
}

TEST_F(RunnerTest, HeadingsFollowCheckTextAndPrecedeFixText)
{
    g_scripts[3] = Script{1, "found\r\n", "fixed\r\n"};
    RunRepairWith(&host, slots);
    EXPECT_EQ(Log(), kStart + "found\r\n" + std::string(HEADING_MENDORA.bytes, HEADING_MENDORA.size) + "fixed\r\n" +
                         kSeparator);
    EXPECT_EQ(HEADING_RISK_DRIVERS.size, 30u);
    EXPECT_EQ(HEADING_CYBO_QQ.size, 34u);
    EXPECT_EQ(HEADING_FAKE_NETBIOS.size, 21u);
    EXPECT_EQ(HEADING_MENDORA.size, 22u);
}

TEST_F(RunnerTest, RestartRulesBySlotAndRunKind)
{
    struct Case {
        int slot;
        bool askRestart;
        bool continuation;
        bool runOnce;
        int dialogs;
    } cases[] = {
        {0, false, false, true, 1},   // network stack: continuation armed, restart offered
        {2, false, false, true, 1},   // fake NetBIOS: likewise
        {1, false, false, false, 0},  // infected libraries: neither
        {3, true, false, false, 1},   // system files asking for a restart: offer only
        {0, false, true, false, 0},   // the continuation run never arms or offers
        {3, true, true, false, 0},
    };
    for (const Case& c : cases) {
        SimMachine fresh;
        plat::ScopedPlatform use(fresh);
        for (Script& s : g_scripts) s = Script{};
        g_scripts[c.slot].check = 1;
        g_scripts[c.slot].askRestart = c.askRestart;
        g_bSecondProc = c.continuation ? 1 : 0;
        RunRepairWith(&host, slots);
        const auto value = fresh.GetRegValue(HKEY_LOCAL_MACHINE, kRunOnce, u"vexloKillerTools");
        EXPECT_EQ(value.has_value(), c.runOnce) << "slot " << c.slot;
        EXPECT_EQ(fresh.RestartDialogCalls(), c.dialogs) << "slot " << c.slot;
        EXPECT_EQ(fresh.PostedMessages().size(), 1u);
        if (value) {
            const std::u16string data = u"\"C:\\Program Files\\Vexlo\\VexloRepair.exe\" second_proc";
            EXPECT_EQ(value->type, REG_SZ);
            EXPECT_EQ(value->data, std::string(reinterpret_cast<const char*>(data.c_str()), (data.size() + 1) * 2));
        }
    }
}

TEST_F(RunnerTest, ReportIsOnDiskBeforeTheRestartDialogShows)
{
    g_scripts[0].check = 1;
    bool logPresent = false;
    machine.SetRestartDialogHook([&] { logPresent = machine.FileContent(kLogPath).has_value(); });
    RunRepairWith(&host, slots);
    EXPECT_TRUE(logPresent);
}

TEST_F(RunnerTest, ContinuationIsNotArmedWithoutAUsableProgramPathButTheRestartIsStillOffered)
{
    struct Case {
        const char* name;
        void (*arrange)(SimMachine&);
    } cases[] = {
        {"RunOnce key cannot be opened", [](SimMachine& m) { m.FailCall("RegOpenKeyExW", ERROR_ACCESS_DENIED); }},
        {"program path unavailable", [](SimMachine& m) { m.FailCall("GetModuleFileNameW", ERROR_ACCESS_DENIED); }},
        {"program path longer than the buffer",
         [](SimMachine& m) { m.SetModuleFileName(u"C:\\" + std::u16string(600, u'a') + u".exe"); }},
    };
    for (const Case& c : cases) {
        SimMachine fresh;
        plat::ScopedPlatform use(fresh);
        c.arrange(fresh);
        g_scripts[2].check = 1;
        RunRepairWith(&host, slots);
        EXPECT_FALSE(fresh.GetRegValue(HKEY_LOCAL_MACHINE, kRunOnce, u"vexloKillerTools")) << c.name;
        EXPECT_EQ(fresh.RestartDialogCalls(), 1) << c.name;
        EXPECT_EQ(fresh.OpenHandleCount(), 0u) << c.name;
    }
}

TEST_F(RunnerTest, AnExceptionFromAModuleCountsAsNothingFoundAndTheRunGoesOn)
{
    g_scripts[0].throwInCheck = true;
    g_scripts[1].check = 1;
    RunRepairWith(&host, slots);
    EXPECT_EQ(Log(), kStart + std::string(HEADING_CYBO_QQ.bytes, HEADING_CYBO_QQ.size) + kSeparator);
    EXPECT_EQ(Posted(), 1u);
}

TEST_F(RunnerTest, StoppedRunWritesNothingArmsNothingAndPostsNothing)
{
    g_scripts[0].check = 1;
    g_scripts[0].stopInCheck = true;  // Fix of slot 0 still completes: the stop is seen between modules
    RunRepairWith(&host, slots);
    EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "fix0"), 1);
    EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "check1"), 0);
    EXPECT_FALSE(machine.FileContent(kLogPath));
    EXPECT_FALSE(RunOnceArmed());
    EXPECT_EQ(machine.RestartDialogCalls(), 0);
    EXPECT_EQ(Posted(), 0u);
    EXPECT_EQ(g_calls.back(), "delete0");
}

TEST_F(RunnerTest, StopAfterTheLastModuleStillDiscardsTheRun)
{
    g_scripts[3].stopInCheck = true;
    RunRepairWith(&host, slots);
    EXPECT_FALSE(machine.FileContent(kLogPath));
    EXPECT_EQ(Posted(), 0u);
}

TEST_F(RunnerTest, EachRunClearsTheRestartFlagsAndTheReport)
{
    g_bAskRestart = 1;
    g_bNeedRestart = 1;
    ReportAppend("stale", 5);
    RunRepairWith(&host, slots);
    EXPECT_EQ(g_bAskRestart, 0);
    EXPECT_EQ(g_bNeedRestart, 0);
    EXPECT_EQ(machine.RestartDialogCalls(), 0);
    EXPECT_EQ(std::string(ReportData(), ReportLength()), kStart + kNothingFound + kSeparator);
}
