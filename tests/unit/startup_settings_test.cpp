// The input-method host and language-bar settings, and the Winlogon shell
// start-up values: their health checks and repairs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/platform/handles.h"
#include "modules/sysfile/input_method.h"
#include "modules/sysfile/shell_startup.h"
#include "run/stop_request.h"
#include "support/sysfile_machine.h"

namespace {

using sysfile_test::SysfileMachine;

const std::u16string kCtf = u"Software\\Microsoft\\CTF";
const std::u16string kMsutb = u"Software\\Microsoft\\CTF\\MSUTB";
const std::u16string kLangBar = u"Software\\Microsoft\\CTF\\LangBar";
const std::u16string kWinlogon = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::u16string kCtfmon = u"C:\\WINDOWS\\system32\\ctfmon.exe";

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

std::string Sz(const std::u16string& text)
{
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

// Stands for the program's resource 233; the shipped file's own bytes are
// checked by tests/tools/test_imefix.py.
std::string ImeFixBytes() { return std::string("\xFF\xFEW\0i\0n\0\r\0\n\0", 12); }

class StartupSettingsTest : public ::testing::Test {
protected:
    SysfileMachine machine;
    plat::ScopedPlatform scoped{machine};

    void SetUp() override { ClearRepairStop(); }
    void TearDown() override { ClearRepairStop(); }
    void StopCtfmon()
    {
        plat::UniqueHandle process(machine.OpenProcess(PROCESS_ALL_ACCESS, FALSE, machine.m_ctfmonProcess));
        ASSERT_TRUE(machine.TerminateProcess(process.Get(), 1));
    }
};

TEST_F(StartupSettingsTest, InputMethodHealth)
{
    struct Case {
        const char* what;
        std::function<void(SysfileMachine&)> change;
        int32_t healthy;
    };
    auto stopCtfmon = [](SysfileMachine& m) {
        plat::UniqueHandle process(m.OpenProcess(PROCESS_TERMINATE, FALSE, m.m_ctfmonProcess));
        m.TerminateProcess(process.Get(), 0);
    };
    const std::vector<Case> cases = {
        {"healthy", [](SysfileMachine&) {}, 1},
        {"host stopped on XP", stopCtfmon, 0},
        {"host stopped on Vista",
         [&](SysfileMachine& m) {
             m.SetWindowsVersion(6, 0, 6002, 2);
             stopCtfmon(m);
         },
         1},
        {"host stopped on Windows 7",
         [&](SysfileMachine& m) {
             m.SetWindowsVersion(6, 1, 7600, 0);
             stopCtfmon(m);
         },
         0},
        {"thread input manager disabled",
         [](SysfileMachine& m) { m.SetRegValue(HKEY_CURRENT_USER, kCtf, u"Disable Thread Input Manager", REG_DWORD, Dword(1)); }, 0},
        {"thread input manager enabled",
         [](SysfileMachine& m) { m.SetRegValue(HKEY_CURRENT_USER, kCtf, u"Disable Thread Input Manager", REG_DWORD, Dword(0)); }, 1},
        {"desk band hidden", [](SysfileMachine& m) { m.SetRegValue(HKEY_CURRENT_USER, kMsutb, u"ShowDeskBand", REG_DWORD, Dword(0)); }, 0},
        {"desk band value missing", [](SysfileMachine& m) { m.RegDeleteKeyW(HKEY_CURRENT_USER, kMsutb.c_str()); }, 0},
        {"language bar status 3", [](SysfileMachine& m) { m.SetRegValue(HKEY_CURRENT_USER, kLangBar, u"ShowStatus", REG_DWORD, Dword(3)); }, 0},
        {"language bar status not a number",
         [](SysfileMachine& m) { m.SetRegValue(HKEY_CURRENT_USER, kLangBar, u"ShowStatus", REG_BINARY, std::string("\x04", 1)); }, 0},
        {"language bar key missing", [](SysfileMachine& m) { m.RegDeleteKeyW(HKEY_CURRENT_USER, kLangBar.c_str()); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SysfileMachine fresh;
        plat::ScopedPlatform use(fresh);
        c.change(fresh);
        EXPECT_EQ(IsInputMethodHealthy(), c.healthy);
        EXPECT_EQ(fresh.OpenHandleCount(), 0u);
    }
}

TEST_F(StartupSettingsTest, HostIsFoundByItsProgramFileWhereverItRuns)
{
    EXPECT_EQ(FindCtfmonProcess(), machine.m_ctfmonProcess);
    // A process that cannot be opened is passed over; a later match wins.
    machine.StartProcess(u"D:\\CTFMON.EXE", {}, false);
    const DWORD later = machine.StartProcess(u"D:\\Other\\CtfMon.exe");
    EXPECT_EQ(FindCtfmonProcess(), later);
    StopCtfmon();
    plat::UniqueHandle process(machine.OpenProcess(PROCESS_ALL_ACCESS, FALSE, later));
    machine.TerminateProcess(process.Get(), 0);
    process.Reset();
    EXPECT_EQ(FindCtfmonProcess(), 0u);
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

TEST_F(StartupSettingsTest, RepairEndsTheHostImportsTheRegistryFileAndStartsTheHost)
{
    machine.SetResource(u"bin", 233, ImeFixBytes());
    machine.SetRegValue(HKEY_CURRENT_USER, kCtf, u"Disable Thread Input Manager", REG_DWORD, Dword(1));
    RepairInputMethod();

    EXPECT_EQ(machine.ProcessExitCode(machine.m_ctfmonProcess), 0u);
    EXPECT_EQ(machine.GetRegValue(HKEY_CURRENT_USER, kCtf, u"Disable Thread Input Manager")->data, Dword(0));
    const std::u16string regFile = u"C:\\Documents and Settings\\User\\Local Settings\\Temp\\IMEFIX.REG";
    EXPECT_EQ(machine.FileContent(regFile), ImeFixBytes());
    const auto started = machine.ShellExecuteCalls();
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].file, u"regedit.exe");
    EXPECT_EQ(started[0].parameters, u"/s \"" + regFile + u"\"");
    EXPECT_EQ(started[0].verb, u"");
    EXPECT_EQ(started[0].show, SW_HIDE);
    EXPECT_EQ(started[1].file, kCtfmon);
    EXPECT_EQ(started[1].parameters, u"");
    EXPECT_EQ(started[1].show, SW_SHOW);
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

TEST_F(StartupSettingsTest, RegistryFileGoesToTheCurrentDirectoryWhenTheTemporaryFolderIsUnusable)
{
    for (bool fails : {true, false}) {
        SysfileMachine fresh;
        plat::ScopedPlatform use(fresh);
        fresh.SetResource(u"bin", 233, ImeFixBytes());
        if (fails) {
            fresh.FailCall("GetTempPathW", ERROR_ACCESS_DENIED);
        } else {
            fresh.SetTempPath(u"C:\\" + std::u16string(400, u't') + u"\\");
        }
        RepairInputMethod();
        const auto started = fresh.ShellExecuteCalls();
        ASSERT_EQ(started.size(), 2u);
        EXPECT_EQ(started[0].parameters, u"/s \"IMEFIX.REG\"");
    }
}

TEST_F(StartupSettingsTest, RepairDoesNotCreateTheInputMethodKey)
{
    machine.RegDeleteKeyW(HKEY_CURRENT_USER, kMsutb.c_str());
    machine.RegDeleteKeyW(HKEY_CURRENT_USER, kLangBar.c_str());
    machine.RegDeleteKeyW(HKEY_CURRENT_USER, kCtf.c_str());
    RepairInputMethod();
    EXPECT_FALSE(machine.RegKeyExists(HKEY_CURRENT_USER, kCtf));
}

TEST_F(StartupSettingsTest, ShellStartupHealth)
{
    struct Case {
        const char* what;
        std::u16string value;
        std::u16string text;
        DWORD type;
        int32_t healthy;
    };
    const std::vector<Case> cases = {
        {"Userinit with its comma", u"Userinit", u"C:\\WINDOWS\\system32\\userinit.exe,", REG_SZ, 1},
        {"Userinit with another program appended", u"Userinit", u"userinit.exe,evil.exe", REG_SZ, 1},
        {"Userinit expandable", u"Userinit", u"%SystemRoot%\\system32\\USERINIT.EXE", REG_EXPAND_SZ, 1},
        {"Userinit empty", u"Userinit", u"", REG_SZ, 0},
        {"Userinit another program", u"Userinit", u"C:\\evil.exe", REG_SZ, 0},
        {"Userinit not a string", u"Userinit", u"userinit.exe", REG_BINARY, 0},
        {"Userinit longer than it is read", u"Userinit", std::u16string(600, u' ') + u"userinit.exe", REG_SZ, 0},
        {"Shell in capitals", u"Shell", u"EXPLORER.EXE", REG_SZ, 1},
        {"Shell another program", u"Shell", u"C:\\evil.exe", REG_SZ, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SysfileMachine fresh;
        plat::ScopedPlatform use(fresh);
        fresh.SetRegValue(HKEY_LOCAL_MACHINE, kWinlogon, c.value, c.type, Sz(c.text));
        EXPECT_EQ(IsShellStartupHealthy(), c.healthy);
        EXPECT_EQ(fresh.OpenHandleCount(), 0u);
    }
}

TEST_F(StartupSettingsTest, RepairWritesBothValuesAsFullPaths)
{
    machine.SetRegString(HKEY_LOCAL_MACHINE, kWinlogon, u"Userinit", u"");
    machine.SetRegString(HKEY_LOCAL_MACHINE, kWinlogon, u"Shell", u"C:\\evil.exe");
    EXPECT_EQ(IsShellStartupHealthy(), 0);
    RepairShellStartup();
    const auto userinit = machine.GetRegValue(HKEY_LOCAL_MACHINE, kWinlogon, u"Userinit");
    const auto shell = machine.GetRegValue(HKEY_LOCAL_MACHINE, kWinlogon, u"Shell");
    ASSERT_TRUE(userinit && shell);
    EXPECT_EQ(userinit->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(userinit->data, Sz(u"C:\\WINDOWS\\system32\\userinit.exe"));
    EXPECT_EQ(shell->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(shell->data, Sz(u"C:\\WINDOWS\\explorer.exe"));
    EXPECT_EQ(IsShellStartupHealthy(), 1);
}

TEST_F(StartupSettingsTest, MissingWinlogonKeyIsUnhealthyAndNotCreated)
{
    machine.RegDeleteKeyW(HKEY_LOCAL_MACHINE, kWinlogon.c_str());
    EXPECT_EQ(IsShellStartupHealthy(), 0);
    RepairShellStartup();
    EXPECT_FALSE(machine.RegKeyExists(HKEY_LOCAL_MACHINE, kWinlogon));
}

TEST_F(StartupSettingsTest, StoppedRunRepairsNothing)
{
    machine.SetRegString(HKEY_LOCAL_MACHINE, kWinlogon, u"Shell", u"C:\\evil.exe");
    RequestRepairStop();
    RepairShellStartup();
    RepairInputMethod();
    EXPECT_EQ(IsShellStartupHealthy(), 0);
    EXPECT_TRUE(machine.ProcessRunning(machine.m_ctfmonProcess));
    EXPECT_TRUE(machine.ShellExecuteCalls().empty());
}

}  // namespace
