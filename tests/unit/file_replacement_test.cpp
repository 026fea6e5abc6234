#include "modules/sysfile/file_replacement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/platform/sim/sim_machine.h"
#include "modules/sysfile/md5.h"
#include "run/report.h"
#include "run/run_flags.h"
#include "run/stop_request.h"

namespace {

const std::u16string kKey = u"0501.0300.2052";
const std::u16string kSystem = u"C:\\WINDOWS\\system32\\";
// Where the machine's program runs from: downloads land here.
const std::u16string kCurrentDirectory = u"C:\\Documents and Settings\\User\\";

// "修复文件\t"
const std::string kRepaired = "\xD0\xDE\xB8\xB4\xCE\xC4\xBC\xFE\t";
// "缺失的输入法程序\t"
const std::string kMissingIme = "\xC8\xB1\xCA\xA7\xB5\xC4\xCA\xE4\xC8\xEB\xB7\xA8\xB3\xCC\xD0\xF2\t";
// "修复“桌面图标不见了”\t"
const std::string kDesktopIcons =
    "\xD0\xDE\xB8\xB4\xA1\xB0\xD7\xC0\xC3\xE6\xCD\xBC\xB1\xEA\xB2\xBB\xBC\xFB\xC1\xCB\xA1\xB1\t";

std::u16string HexOf(const std::string& content)
{
    std::u16string hex;
    DigestToHex(Md5(content.data(), content.size()), hex);
    return hex;
}

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

std::string Report() { return std::string(ReportData(), ReportLength()); }

std::string RepairedLine(const std::u16string& path) { return kRepaired + Narrow(path) + "\r\n"; }

class FileReplacementTest : public ::testing::Test {
protected:
    plat::sim::SimMachine machine;
    plat::ScopedPlatform scoped{machine};
    const std::string clean = std::string("MZ clean copy\0\x01\x02", 16);

    void SetUp() override
    {
        ReportAssign(u"");
        g_bAskRestart = 0;
        ClearRepairStop();
    }
    void TearDown() override
    {
        g_bAskRestart = 0;
        ClearRepairStop();
    }

    std::u16string Address(const std::u16string& hex) const { return MakeSysfileAddress(kKey, hex); }
    // Serves the clean copy under its own digest and returns the item for the path.
    ReplaceItem Served(const std::u16string& path, const std::string& content)
    {
        machine.ServeUrl(Address(HexOf(content)), content);
        return ReplaceItem{path, HexOf(content)};
    }
    // Nothing of the replacement stays behind: no download, no staged copy.
    void ExpectNoLeftovers(const std::u16string& hex)
    {
        EXPECT_FALSE(machine.Exists(kCurrentDirectory + hex));
        EXPECT_FALSE(machine.Exists(kSystem + hex));
        EXPECT_EQ(machine.OpenHandleCount(), 0u);
    }
};

TEST_F(FileReplacementTest, MissingLibraryComesBackFromTheServerUnderItsDigest)
{
    const std::u16string target = kSystem + u"lpk.dll";
    const ReplaceItem item = Served(target, clean);
    ReplaceDamagedFiles({item}, kKey);

    EXPECT_EQ(machine.FileContent(target), clean);
    EXPECT_EQ(Report(), RepairedLine(target));
    EXPECT_EQ(g_bAskRestart, 0);
    const std::vector<std::u16string> requests = machine.DownloadRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], u"http://" + std::u16string(VEXLO_SYSFILE_HOST) + u"/sysfiles2/files/0501.0300.2052/" +
                               item.DigestHex);
    EXPECT_TRUE(machine.PendingRenames().empty());
    ExpectNoLeftovers(item.DigestHex);
}

TEST_F(FileReplacementTest, FileInUseIsReplacedAtTheRestart)
{
    const std::u16string target = kSystem + u"kernel32.dll";
    machine.AddFile(target, "MZ damaged");
    machine.StartProcess(u"C:\\WINDOWS\\explorer.exe", {target});
    const ReplaceItem item = Served(target, clean);
    ReplaceDamagedFiles({item}, kKey);

    EXPECT_EQ(machine.FileContent(target), "MZ damaged");
    EXPECT_EQ(g_bAskRestart, 1);
    EXPECT_EQ(Report(), RepairedLine(target));
    // The move takes a copy staged in the system folder, never the download.
    const auto pending = machine.PendingRenames();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].first, kSystem + item.DigestHex);
    EXPECT_EQ(pending[0].second, target);
    EXPECT_FALSE(machine.Exists(kCurrentDirectory + item.DigestHex));

    machine.SimulateRestart();
    EXPECT_EQ(machine.FileContent(target), clean);
    EXPECT_FALSE(machine.Exists(kSystem + item.DigestHex));
    EXPECT_TRUE(machine.PendingRenames().empty());
}

TEST_F(FileReplacementTest, WhatLandsIsTheCheckedCopyWhateverHappensToTheDownloadFolderLater)
{
    const std::u16string target = kSystem + u"kernel32.dll";
    machine.AddFile(target, "MZ damaged");
    machine.StartProcess(u"C:\\WINDOWS\\explorer.exe", {target});
    const std::u16string hex = HexOf(clean);
    int served = 0;
    machine.ServeUrl(Address(hex), [&]() -> std::optional<std::string> { return ++served == 1 ? clean : "MZ evil"; });

    ReplaceDamagedFiles({{target, hex}}, kKey);
    // Another user writes to the download folder, and a second run fetches other bytes.
    machine.AddFile(kCurrentDirectory + hex, "MZ planted");
    ReplaceDamagedFiles({{target, hex}}, kKey);
    EXPECT_EQ(served, 2);

    machine.SimulateRestart();
    EXPECT_EQ(machine.FileContent(target), clean);
    // Only the first run, whose copy matched, reported.
    EXPECT_EQ(Report(), RepairedLine(target));
}

TEST_F(FileReplacementTest, DownloadThatDoesNotMatchItsDigestChangesNothing)
{
    const std::u16string target = kSystem + u"lpk.dll";
    machine.AddFile(target, "MZ damaged");
    const std::u16string hex = HexOf(clean);
    for (const std::string& body : {std::string("MZ tampered"), clean.substr(0, 8), std::string()}) {
        machine.ServeUrl(Address(hex), body);
        ReplaceDamagedFiles({{target, hex}}, kKey);
        EXPECT_EQ(machine.FileContent(target), "MZ damaged");
        ExpectNoLeftovers(hex);
    }
    // A server that is not there, too.
    ReplaceDamagedFiles({{target, HexOf("unknown")}}, kKey);
    EXPECT_EQ(machine.FileContent(target), "MZ damaged");
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(g_bAskRestart, 0);
}

TEST_F(FileReplacementTest, FileLeftInTheDownloadFolderIsNotTakenForADownload)
{
    const std::u16string target = kSystem + u"lpk.dll";
    const std::u16string hex = HexOf(clean);
    // Matching bytes, but the server has nothing: only what this run fetched counts.
    machine.AddFile(kCurrentDirectory + hex, clean);
    ReplaceDamagedFiles({{target, hex}}, kKey);
    EXPECT_FALSE(machine.Exists(target));
    EXPECT_EQ(Report(), "");
    ExpectNoLeftovers(hex);
}

TEST_F(FileReplacementTest, FolderStandingUnderTheFileNameIsReplacedWithItsContent)
{
    const std::u16string target = kSystem + u"lpk.dll";
    machine.AddFile(target + u"\\inner\\payload.dll", "MZ payload");
    const ReplaceItem item = Served(target, clean);
    ReplaceDamagedFiles({item}, kKey);
    EXPECT_EQ(machine.FileContent(target), clean);
    EXPECT_FALSE(machine.Exists(target + u"\\inner\\payload.dll"));
    EXPECT_EQ(Report(), RepairedLine(target));
}

TEST_F(FileReplacementTest, RestoredProgramsAreStartedAndNamedByTheirFinding)
{
    struct Case {
        std::u16string path;
        std::string prefix;
        bool started;
    };
    const std::vector<Case> cases = {
        {kSystem + u"ctfmon.exe", kMissingIme, true},
        {kSystem + u"conime.exe", kMissingIme, true},
        {u"C:\\WINDOWS\\Explorer.EXE", kDesktopIcons, true},
        {kSystem + u"drivers\\netbios.sys", "", false},
        {kSystem + u"usp10.dll", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        plat::sim::SimMachine fresh;
        plat::ScopedPlatform use(fresh);
        ReportAssign(u"");
        const std::string content = "MZ " + Narrow(c.path);
        fresh.ServeUrl(MakeSysfileAddress(kKey, HexOf(content)), content);
        ReplaceDamagedFiles({{c.path, HexOf(content)}}, kKey);

        EXPECT_EQ(fresh.FileContent(c.path), content);
        EXPECT_EQ(Report(), c.prefix + RepairedLine(c.path));
        const auto started = fresh.ShellExecuteCalls();
        ASSERT_EQ(started.size(), c.started ? 1u : 0u);
        if (c.started) {
            EXPECT_EQ(started[0].file, c.path);
            EXPECT_EQ(started[0].verb, u"");
            EXPECT_EQ(started[0].parameters, u"");
            EXPECT_EQ(started[0].show, SW_SHOW);
        }
    }
}

TEST_F(FileReplacementTest, RestoredDriverGetsADemandStartServiceThatRuns)
{
    const std::u16string driver = kSystem + u"drivers\\netbios.sys";
    ReplaceDamagedFiles({Served(driver, clean)}, kKey);
    const std::u16string service = u"SYSTEM\\CurrentControlSet\\Services\\netbios.sys";
    ASSERT_TRUE(machine.RegKeyExists(HKEY_LOCAL_MACHINE, service));
    const auto image = machine.GetRegValue(HKEY_LOCAL_MACHINE, service, u"ImagePath");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->data, std::string(reinterpret_cast<const char*>(driver.c_str()), (driver.size() + 1) * 2));
    EXPECT_EQ(machine.GetRegValue(HKEY_LOCAL_MACHINE, service, u"Start")->data, std::string("\x03\0\0\0", 4));
    EXPECT_EQ(machine.GetRegValue(HKEY_LOCAL_MACHINE, service, u"Type")->data, std::string("\x01\0\0\0", 4));
    EXPECT_TRUE(machine.ServiceRunning(u"netbios.sys"));
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

TEST_F(FileReplacementTest, DriverServiceIsReusedAndARunningOneCounts)
{
    const std::u16string driver = kSystem + u"drivers\\netbios.sys";
    machine.AddFile(driver, "MZ driver");
    EXPECT_EQ(InstallDriverService(u"netbios.sys", driver), 1);
    // It exists and runs already.
    EXPECT_EQ(InstallDriverService(u"netbios.sys", driver), 1);
    machine.SimulateRestart();
    EXPECT_EQ(InstallDriverService(u"netbios.sys", driver), 1);
    EXPECT_TRUE(machine.ServiceRunning(u"netbios.sys"));

    EXPECT_EQ(InstallDriverService(u"other.sys", kSystem + u"drivers\\other.sys"), 0);  // no file to start
    machine.FailCall("OpenSCManagerW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(InstallDriverService(u"third.sys", driver), 0);
    machine.FailCall("CreateServiceW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(InstallDriverService(u"third.sys", driver), 0);
    EXPECT_FALSE(machine.RegKeyExists(HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Services\\third.sys"));
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

TEST_F(FileReplacementTest, ShellDeletionTakesFilesAndFoldersWithOrWithoutATrailingBackslash)
{
    machine.AddFile(kSystem + u"a.dll", "a");
    machine.AddFile(kSystem + u"dir.dll\\x\\y.txt", "y");
    EXPECT_EQ(ShellDeleteFile(kSystem + u"a.dll"), 1);
    EXPECT_EQ(ShellDeleteFile(kSystem + u"dir.dll\\"), 1);
    EXPECT_FALSE(machine.Exists(kSystem + u"a.dll"));
    EXPECT_FALSE(machine.Exists(kSystem + u"dir.dll"));
    EXPECT_EQ(ShellDeleteFile(kSystem + u"a.dll"), 0);
    EXPECT_EQ(ShellDeleteFile(u""), 0);
}

TEST_F(FileReplacementTest, TwoItemsWithOneDigestEachFetchTheirCopy)
{
    const std::u16string first = kSystem + u"dsound.dll";
    const std::u16string second = kSystem + u"ddraw.dll";
    const ReplaceItem item = Served(first, clean);
    ReplaceDamagedFiles({item, {second, item.DigestHex}}, kKey);
    EXPECT_EQ(machine.FileContent(first), clean);
    EXPECT_EQ(machine.FileContent(second), clean);
    EXPECT_EQ(machine.DownloadRequests().size(), 2u);
    EXPECT_EQ(Report(), RepairedLine(first) + RepairedLine(second));
}

TEST_F(FileReplacementTest, CopyThatCannotBeStagedLeavesTheDamagedFileAlone)
{
    const std::u16string target = kSystem + u"lpk.dll";
    machine.AddFile(target, "MZ damaged");
    const ReplaceItem item = Served(target, clean);
    // Something the copy cannot be written over stands where it would be staged.
    machine.AddDirectory(kSystem + item.DigestHex);
    ReplaceDamagedFiles({item}, kKey);
    EXPECT_EQ(machine.FileContent(target), "MZ damaged");
    EXPECT_EQ(Report(), "");
    EXPECT_FALSE(machine.Exists(kCurrentDirectory + item.DigestHex));
    EXPECT_TRUE(machine.PendingRenames().empty());
}

TEST_F(FileReplacementTest, CopyThatCannotMoveInAfterTheRemovalWaitsForTheRestart)
{
    const std::u16string target = kSystem + u"lpk.dll";
    machine.AddFile(target, "MZ damaged");
    const ReplaceItem item = Served(target, clean);
    machine.FailCall("MoveFileW", ERROR_ACCESS_DENIED);
    ReplaceDamagedFiles({item}, kKey);
    EXPECT_FALSE(machine.Exists(target));
    EXPECT_EQ(g_bAskRestart, 1);
    EXPECT_EQ(Report(), RepairedLine(target));
    machine.SimulateRestart();
    EXPECT_EQ(machine.FileContent(target), clean);

    // When not even that works, nothing is reported and nothing is left.
    ReportAssign(u"");
    machine.AddFile(kSystem + u"usp10.dll", "MZ damaged");
    machine.FailCall("MoveFileW", ERROR_ACCESS_DENIED);
    machine.FailCall("MoveFileExW.delay", ERROR_ACCESS_DENIED);
    ReplaceDamagedFiles({Served(kSystem + u"usp10.dll", clean)}, kKey);
    EXPECT_EQ(Report(), "");
    ExpectNoLeftovers(item.DigestHex);
}

TEST_F(FileReplacementTest, StopDuringADownloadEndsItAndTheRunGivesUp)
{
    const std::u16string first = kSystem + u"lpk.dll";
    const std::u16string second = kSystem + u"usp10.dll";
    machine.AddFile(first, "MZ damaged");
    const std::u16string hex = HexOf(clean);
    // The user presses stop while the first copy is on its way.
    machine.ServeUrl(Address(hex), [&]() -> std::optional<std::string> {
        RequestRepairStop();
        return clean;
    });
    ReplaceDamagedFiles({{first, hex}, {second, hex}}, kKey);
    EXPECT_EQ(machine.FileContent(first), "MZ damaged");
    EXPECT_FALSE(machine.Exists(second));
    EXPECT_EQ(machine.DownloadRequests().size(), 1u);
    EXPECT_EQ(Report(), "");
    ExpectNoLeftovers(hex);
}

TEST_F(FileReplacementTest, StopRequestedBeforeTheRunLeavesEveryItem)
{
    RequestRepairStop();
    ReplaceDamagedFiles({Served(kSystem + u"lpk.dll", clean)}, kKey);
    EXPECT_TRUE(machine.DownloadRequests().empty());
}

}  // namespace
