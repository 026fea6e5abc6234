#include "modules/sysfile/search_path_inject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/platform/sim/sim_pe_image.h"
#include "run/report.h"
#include "run/run_flags.h"
#include "run/stop_request.h"
#include "support/sysfile_machine.h"

namespace {

using sysfile_test::SysfileMachine;

const std::u16string kXpMuiCache = u"Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
const std::u16string kVistaMuiCache = u"Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
const std::u16string kGameFolder = u"D:\\Games\\App\\";
const std::u16string kPlantedLpk = u"\\\\?\\d:\\games\\app\\lpk.dll";

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kDay = 86400;

std::string Report() { return std::string(ReportData(), ReportLength()); }

FILETIME Ago(const FILETIME& now, uint64_t seconds)
{
    const uint64_t ticks = ((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) -
                           seconds * kTicksPerSecond;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

class SearchPathInjectTest : public ::testing::Test {
protected:
    SysfileMachine machine;
    plat::ScopedPlatform scoped{machine};
    std::set<std::u16string> injected;
    const std::string image = plat::sim::VersionedImage(u"1.0.0.1");

    void SetUp() override
    {
        ReportAssign(u"");
        g_bAskRestart = 0;
        ClearRepairStop();
        AddProgram(kGameFolder + u"app.exe");
    }
    void TearDown() override
    {
        g_bAskRestart = 0;
        ClearRepairStop();
    }

    void AddProgram(const std::u16string& program, const std::u16string& cacheKey = kXpMuiCache,
                    HKEY root = HKEY_CURRENT_USER)
    {
        machine.SetRegString(root, cacheKey, program, u"App");
    }
    // A file beside the program, created that many seconds before now.
    void Plant(const std::u16string& path, const std::string& content, uint64_t ageSeconds)
    {
        machine.AddFile(path, content);
        FILETIME now{};
        machine.GetSystemTimeAsFileTime(&now);
        machine.SetFileTimes(path, Ago(now, ageSeconds), Ago(now, ageSeconds));
    }
};

TEST_F(SearchPathInjectTest, PlantedFilesAreJudgedByAgeAndPeness)
{
    struct Case {
        const char* what;
        std::u16string name;
        bool pe;
        uint64_t age;
        bool planted;
    };
    const std::vector<Case> cases = {
        {"a library made two days ago", u"lpk.dll", true, 2 * kDay, true},
        {"a library a year old", u"lpk.dll", true, 365 * kDay, false},
        {"a library exactly seven days old", u"usp10.dll", true, 7 * kDay, true},
        {"a library one second older", u"usp10.dll", true, 7 * kDay + 1, false},
        {"no PE image, however old", u"usp10.dll", false, 365 * kDay, true},
        {"a name that is not probed", u"mylib.dll", false, kDay, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SysfileMachine fresh;
        plat::ScopedPlatform use(fresh);
        fresh.SetRegString(HKEY_CURRENT_USER, kXpMuiCache, kGameFolder + u"app.exe", u"App");
        fresh.AddFile(kGameFolder + c.name, c.pe ? image : "not an image");
        FILETIME now{};
        fresh.GetSystemTimeAsFileTime(&now);
        fresh.SetFileTimes(kGameFolder + c.name, Ago(now, c.age), Ago(now, c.age));

        std::set<std::u16string> found;
        EXPECT_EQ(ScanSearchPathInject(found), c.planted ? 1 : 0);
        const std::u16string expected = u"\\\\?\\d:\\games\\app\\" + c.name;
        EXPECT_EQ(found, c.planted ? std::set<std::u16string>{expected} : std::set<std::u16string>{});
        EXPECT_EQ(fresh.OpenHandleCount(), 0u);
    }
}

TEST_F(SearchPathInjectTest, FileThatCannotBeOpenedCountsAsPlanted)
{
    Plant(kGameFolder + u"lpk.dll", image, 365 * kDay);
    machine.HoldFileOpen(kGameFolder + u"lpk.dll", GENERIC_READ, 0);
    EXPECT_EQ(ScanSearchPathInject(injected), 1);
    EXPECT_EQ(injected, std::set<std::u16string>{kPlantedLpk});
}

TEST_F(SearchPathInjectTest, OnlyFullPathsOutsideTheWindowsFolderAreExamined)
{
    Plant(u"C:\\WINDOWS\\lpk.dll", "not an image", kDay);
    AddProgram(u"C:\\WINDOWS\\notepad.exe");
    Plant(u"C:\\WINDOWS\\system32\\Tools\\usp10.dll", "not an image", kDay);
    AddProgram(u"c:\\windows\\system32\\tools\\tool.exe");
    Plant(u"C:\\WINDOWS\\system32\\shell32.dll", "not an image", kDay);
    AddProgram(u"@C:\\WINDOWS\\system32\\shell32.dll,-22019");
    AddProgram(u"LangID");
    // A folder under a probed name is not a library.
    machine.AddDirectory(kGameFolder + u"dsound.dll");
    EXPECT_EQ(ScanSearchPathInject(injected), 0);
    EXPECT_TRUE(injected.empty());
}

TEST_F(SearchPathInjectTest, EachFileIsHeldOnceAndKeepsItsLongLowerCaseName)
{
    Plant(kGameFolder + u"LPK.DLL", "not an image", kDay);
    Plant(kGameFolder + u"MSIMG32.dll", "not an image", kDay);
    AddProgram(kGameFolder + u"launcher.exe");
    EXPECT_EQ(ScanSearchPathInject(injected), 1);
    EXPECT_EQ(injected, (std::set<std::u16string>{kPlantedLpk, u"\\\\?\\d:\\games\\app\\msimg32.dll"}));
}

TEST_F(SearchPathInjectTest, VistaKeepsItsCacheUnderTheClassesRoot)
{
    machine.SetWindowsVersion(6, 0, 6002, 2);
    Plant(u"E:\\Tools\\usp10.dll", "not an image", kDay);
    AddProgram(u"E:\\Tools\\tool.exe", kVistaMuiCache, HKEY_CLASSES_ROOT);
    Plant(kGameFolder + u"lpk.dll", "not an image", kDay);  // only in the XP cache
    EXPECT_EQ(ScanSearchPathInject(injected), 1);
    EXPECT_EQ(injected, std::set<std::u16string>{u"\\\\?\\e:\\tools\\usp10.dll"});
}

TEST_F(SearchPathInjectTest, MissingCacheIsCreatedEmpty)
{
    SysfileMachine fresh;
    plat::ScopedPlatform use(fresh);
    EXPECT_EQ(ScanSearchPathInject(injected), 0);
    EXPECT_TRUE(fresh.RegKeyExists(HKEY_CURRENT_USER, kXpMuiCache));
    EXPECT_EQ(fresh.OpenHandleCount(), 0u);
}

TEST_F(SearchPathInjectTest, QuarantineBacksUpRemovesAndReports)
{
    Plant(kGameFolder + u"lpk.dll", image, kDay);
    ASSERT_EQ(ScanSearchPathInject(injected), 1);
    QuarantineInjected(injected);
    EXPECT_FALSE(machine.Exists(kGameFolder + u"lpk.dll"));
    EXPECT_EQ(machine.FileContent(kGameFolder + u"lpk.dll.qrest"), image);
    EXPECT_EQ(Report(), "Search Path Inject\t\\\\?\\d:\\games\\app\\lpk.dll\r\n");
    EXPECT_EQ(g_bAskRestart, 0);
}

TEST_F(SearchPathInjectTest, LoadedFileTakesItsBackupsPlaceAtTheRestart)
{
    Plant(kGameFolder + u"lpk.dll", image, kDay);
    machine.StartProcess(kGameFolder + u"app.exe", {kGameFolder + u"lpk.dll"});
    ASSERT_EQ(ScanSearchPathInject(injected), 1);
    QuarantineInjected(injected);
    EXPECT_EQ(g_bAskRestart, 1);
    EXPECT_EQ(Report(), "Search Path Inject\t\\\\?\\d:\\games\\app\\lpk.dll\r\n");
    EXPECT_TRUE(machine.Exists(kGameFolder + u"lpk.dll"));
    machine.SimulateRestart();
    EXPECT_FALSE(machine.Exists(kGameFolder + u"lpk.dll"));
    EXPECT_EQ(machine.FileContent(kGameFolder + u"lpk.dll.qrest"), image);
}

TEST_F(SearchPathInjectTest, FileWithoutABackupIsRenamedNotDeleted)
{
    Plant(kGameFolder + u"lpk.dll", image, kDay);
    ASSERT_EQ(ScanSearchPathInject(injected), 1);
    machine.FailCall("CopyFileW", ERROR_ACCESS_DENIED);
    QuarantineInjected(injected);
    EXPECT_FALSE(machine.Exists(kGameFolder + u"lpk.dll"));
    EXPECT_EQ(machine.FileContent(kGameFolder + u"lpk.dll.qrest"), image);
    EXPECT_EQ(Report(), "Search Path Inject\t\\\\?\\d:\\games\\app\\lpk.dll\r\n");
}

TEST_F(SearchPathInjectTest, StopEndsTheQuarantineBetweenFiles)
{
    Plant(kGameFolder + u"lpk.dll", image, kDay);
    ASSERT_EQ(ScanSearchPathInject(injected), 1);
    RequestRepairStop();
    QuarantineInjected(injected);
    EXPECT_TRUE(machine.Exists(kGameFolder + u"lpk.dll"));
    EXPECT_EQ(Report(), "");
}

}  // namespace
