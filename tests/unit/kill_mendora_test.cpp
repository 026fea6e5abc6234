#include "modules/sysfile/kill_mendora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/platform/sim/sim_pe_image.h"
#include "modules/sysfile/digest_index.h"
#include "modules/sysfile/file_replacement.h"
#include "modules/sysfile/probe_names.h"
#include "modules/sysfile/reference_versions.h"
#include "run/report.h"
#include "run/run_flags.h"
#include "support/sysfile_machine.h"

using namespace sysfile_test;

namespace {

// "输入法程序未执行\r\n"
const std::string kInputMethodLine = "\xCA\xE4\xC8\xEB\xB7\xA8\xB3\xCC\xD0\xF2\xCE\xB4\xD6\xB4\xD0\xD0\r\n";
// "按注册表项异常，导致桌面图标不见了\r\n"
const std::string kShellLine =
    "\xB0\xB4\xD7\xA2\xB2\xE1\xB1\xED\xCF\xEE\xD2\xEC\xB3\xA3\xA3\xAC\xB5\xBC\xD6\xC2\xD7\xC0\xC3\xE6\xCD\xBC\xB1\xEA"
    "\xB2\xBB\xBC\xFB\xC1\xCB\r\n";
const std::u16string kWinlogon = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

std::string Hex(const std::string& content)
{
    std::u16string hex;
    DigestToHex(Md5(content.data(), content.size()), hex);
    return Narrow(hex);
}

// Replacements as "path hex" lines, for readable failures.
std::vector<std::string> Listed(const CKillMendora& module)
{
    std::vector<std::string> lines;
    for (const ReplaceItem& item : module.Replacements()) {
        lines.push_back(Narrow(item.TargetPath) + " " + Narrow(item.DigestHex));
    }
    return lines;
}

std::string Item(const std::u16string& path, const std::string& referenceContent)
{
    return Narrow(path) + " " + Hex(referenceContent);
}

std::string Report() { return std::string(ReportData(), ReportLength()); }

class KillMendoraTest : public ::testing::Test {
protected:
    SysfileMachine machine;
    plat::ScopedPlatform scoped{machine};
    CKillMendora module;

    void SetUp() override
    {
        ReportAssign(u"");
        g_bAskRestart = 0;
    }
    void TearDown() override { g_bAskRestart = 0; }

    const std::string& Reference(const std::u16string& path) { return machine.m_reference.at(path); }
    void Replace(const std::u16string& path, const std::string& content)
    {
        ASSERT_TRUE(machine.DeleteFileW(path.c_str()));
        machine.AddFile(path, content);
    }
};

TEST_F(KillMendoraTest, AHealthyMachineGivesNothingAndWritesNothing)
{
    EXPECT_EQ(module.Check(), 0);
    EXPECT_TRUE(module.Replacements().empty());
    EXPECT_TRUE(module.Injected().empty());
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(g_bAskRestart, 0);
    EXPECT_EQ(machine.FileContent(kIndexFile), std::string(machine.m_index.begin(), machine.m_index.end()));
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

TEST_F(KillMendoraTest, UnusableProbeFilesKnownToTheIndexAreListed)
{
    const std::u16string lpk = kSystemFolder + u"lpk.dll";
    const std::u16string usp10 = kSystemFolder + u"usp10.dll";
    const std::u16string imm32 = kSystemFolder + u"imm32.dll";
    const std::u16string netbios = kSystemFolder + u"drivers\\netbios.sys";
    const std::u16string explorer = kWindowsFolder + u"explorer.exe";
    const std::u16string msvcr71 = kSystemFolder + u"msvcr71.dll";
    plat::sim::PeImageParts bare;
    bare.withVersionResource = false;

    ASSERT_TRUE(machine.DeleteFileW(lpk.c_str()));  // missing
    Replace(usp10, "MZ but nothing more");           // not a PE image
    Replace(imm32, plat::sim::BuildPeImage(bare));   // no version information
    ASSERT_TRUE(machine.DeleteFileW(netbios.c_str()));
    ASSERT_TRUE(machine.DeleteFileW(explorer.c_str()));
    ASSERT_TRUE(machine.DeleteFileW(msvcr71.c_str()));  // unknown to the index: never touched

    EXPECT_EQ(module.ScanMissingFiles(), 1);
    EXPECT_EQ(Listed(module), (std::vector<std::string>{
                                  Item(lpk, Reference(lpk)), Item(imm32, Reference(imm32)), Item(usp10, Reference(usp10)),
                                  Item(netbios, Reference(netbios)), Item(explorer, Reference(explorer))}));
}

TEST_F(KillMendoraTest, AFolderStandingUnderALibrarysNameIsListedLikeAMissingFile)
{
    const std::u16string lpk = kSystemFolder + u"lpk.dll";
    ASSERT_TRUE(machine.DeleteFileW(lpk.c_str()));
    machine.AddDirectory(lpk + u"\\inside");

    EXPECT_EQ(module.Check(), 1);
    EXPECT_EQ(Listed(module), std::vector<std::string>{Item(lpk, Reference(lpk))});
    EXPECT_EQ(g_bAskRestart, 1);
    EXPECT_EQ(Report(), "");
}

TEST_F(KillMendoraTest, AKeyPastTheIndexDoesNotEndTheMissingFileScan)
{
    // Three missing files in scan order: the first holds the index's greatest
    // key, the second sorts past it, the third is known and comes after it.
    std::vector<std::u16string> paths = ProbePaths();
    auto key = [](const std::u16string& path) { return MakePathKey(path, kWindowsFolder); };
    std::optional<std::array<size_t, 3>> pick;
    for (size_t i = 0; i < paths.size() && !pick; ++i) {
        for (size_t j = i + 1; j < paths.size() && !pick; ++j) {
            for (size_t k = j + 1; k < paths.size() && !pick; ++k) {
                if (key(paths[j]) > key(paths[i]) && key(paths[i]) > key(paths[k])) pick = {{i, j, k}};
            }
        }
    }
    ASSERT_TRUE(pick.has_value());
    const std::u16string first = paths[(*pick)[0]], past = paths[(*pick)[1]], late = paths[(*pick)[2]];
    machine.SetIndex(214, IndexOf({{first, Reference(first)}, {late, Reference(late)}}));
    for (const std::u16string& path : {first, past, late}) ASSERT_TRUE(machine.DeleteFileW(path.c_str()));

    EXPECT_EQ(module.ScanMissingFiles(), 1);
    EXPECT_EQ(Listed(module), (std::vector<std::string>{Item(first, Reference(first)), Item(late, Reference(late))}));
}

TEST_F(KillMendoraTest, WithTheShippedIndexesFewRecordsAMissingMsvcr71DoesNotHideLaterFiles)
{
    // As the shipped index of this platform: lpk.dll, netbios.sys and
    // explorer.exe. msvcr71.dll, examined before the last two, sorts past them.
    const std::u16string lpk = kSystemFolder + u"lpk.dll";
    const std::u16string netbios = kSystemFolder + u"drivers\\netbios.sys";
    const std::u16string explorer = kWindowsFolder + u"explorer.exe";
    machine.SetIndex(214,
                     IndexOf({{lpk, Reference(lpk)}, {netbios, Reference(netbios)}, {explorer, Reference(explorer)}}));
    for (const std::u16string& path : {kSystemFolder + u"msvcr71.dll", explorer}) {
        ASSERT_TRUE(machine.DeleteFileW(path.c_str()));
    }

    EXPECT_EQ(module.Check(), 1);
    EXPECT_EQ(Listed(module), std::vector<std::string>{Item(explorer, Reference(explorer))});
}

TEST_F(KillMendoraTest, VersionTableFilesOlderThanTheReferenceOrAlteredAreListed)
{
    const std::u16string kernel32 = kSystemFolder + u"kernel32.dll";  // 5.1.2600.5512 (xpsp.080413-2111)
    const std::u16string comdlg32 = kSystemFolder + u"comdlg32.dll";  // 6.00.2900.5512 (xpsp.080413-2105)
    const std::u16string msvcrt = kSystemFolder + u"msvcrt.dll";      // 7.0.2600.5512 (xpsp.080413-2111)
    const std::u16string shdocvw = kSystemFolder + u"shdocvw.dll";    // 6.00.2900.5512 (xpsp.080413-2105)
    const std::u16string urlmon = kSystemFolder + u"urlmon.dll";
    const std::u16string userinit = kSystemFolder + u"userinit.exe";  // no row
    const std::u16string explorer = kWindowsFolder + u"explorer.exe";  // not in the system folder

    // The reference version with one byte changed.
    std::string altered = Reference(kernel32);
    altered.back() = static_cast<char>(altered.back() ^ 1);
    Replace(kernel32, altered);
    // Text order, not numbers: .999 sorts after .5512, .10000 before it, and a
    // prefix before the whole text.
    Replace(comdlg32, ImageFor(comdlg32, u"6.00.2900.999"));
    Replace(msvcrt, ImageFor(msvcrt, u"7.0.2600.10000"));
    Replace(shdocvw, ImageFor(shdocvw, u"6.00.2900.5512"));
    // A later update, whatever its content.
    Replace(urlmon, ImageFor(urlmon, u"6.00.2900.6049 (xpsp_sp3_gdr.101209-1647)"));
    Replace(userinit, ImageFor(userinit, u"1.0"));
    Replace(explorer, ImageFor(explorer, u"1.0"));

    EXPECT_EQ(module.ScanMissingFiles(), 0);
    EXPECT_EQ(module.ScanVersionTable(), 1);
    EXPECT_EQ(Listed(module), (std::vector<std::string>{Item(kernel32, Reference(kernel32)),
                                                        Item(shdocvw, Reference(shdocvw)),
                                                        Item(msvcrt, Reference(msvcrt))}));
}

TEST_F(KillMendoraTest, AKeyPastTheIndexDoesNotEndTheVersionScan)
{
    // Version-table files of this platform, each made older than its row.
    std::vector<std::u16string> paths;
    for (const ReferenceVersionRow& row : ReferenceVersionTable()) {
        if (std::u16string(row.platformKey) == u"0501.0300.2052") paths.push_back(kSystemFolder + row.fileName);
    }
    auto key = [](const std::u16string& path) { return MakePathKey(path, kWindowsFolder); };
    std::optional<std::array<size_t, 3>> pick;
    for (size_t i = 0; i < paths.size() && !pick; ++i) {
        for (size_t j = i + 1; j < paths.size() && !pick; ++j) {
            for (size_t k = j + 1; k < paths.size() && !pick; ++k) {
                if (key(paths[j]) > key(paths[i]) && key(paths[i]) > key(paths[k])) pick = {{i, j, k}};
            }
        }
    }
    ASSERT_TRUE(pick.has_value());
    const std::u16string first = paths[(*pick)[0]], past = paths[(*pick)[1]], late = paths[(*pick)[2]];
    machine.SetIndex(214, IndexOf({{first, Reference(first)}, {late, Reference(late)}}));
    // A running program's file cannot be deleted.
    const HANDLE ctfmon = machine.OpenProcess(PROCESS_TERMINATE, FALSE, machine.m_ctfmonProcess);
    ASSERT_TRUE(machine.TerminateProcess(ctfmon, 0));
    machine.CloseHandle(ctfmon);
    for (const std::u16string& path : paths) {
        if (path == first || path == past || path == late) {
            Replace(path, ImageFor(path, u"1.0"));
        } else {
            ASSERT_TRUE(machine.DeleteFileW(path.c_str()));
        }
    }

    EXPECT_EQ(module.ScanVersionTable(), 1);
    EXPECT_EQ(Listed(module), (std::vector<std::string>{Item(first, Reference(first)), Item(late, Reference(late))}));
}

TEST_F(KillMendoraTest, PlatformsWithoutAnIndexListNothingButTheOtherExaminationsStillReport)
{
    machine.SetWindowsVersion(5, 0, 2195, 4);  // Windows 2000
    ASSERT_TRUE(machine.DeleteFileW((kSystemFolder + u"lpk.dll").c_str()));
    machine.SetRegString(HKEY_LOCAL_MACHINE, kWinlogon, u"Shell", u"C:\\evil\\shell.exe");

    EXPECT_EQ(module.Check(), 1);
    EXPECT_TRUE(module.Replacements().empty());
    EXPECT_EQ(g_bAskRestart, 0);
    EXPECT_EQ(Report(), kShellLine);
}

TEST_F(KillMendoraTest, OnlyAnIndexFileHoldingThePlatformsOwnIndexDecides)
{
    ASSERT_TRUE(machine.DeleteFileW((kSystemFolder + u"lpk.dll").c_str()));
    // Another program keeps a different index in the file, so that it cannot be rewritten.
    const std::vector<uint8_t> foreign = IndexOf({{kSystemFolder + u"lpk.dll", "someone else's lpk.dll"}});
    machine.AddFile(kIndexFile, std::string(foreign.begin(), foreign.end()));
    machine.HoldFileOpen(kIndexFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);

    EXPECT_EQ(module.ScanMissingFiles(), 0);
    EXPECT_EQ(module.ScanVersionTable(), 0);
    EXPECT_TRUE(module.Replacements().empty());
}

TEST_F(KillMendoraTest, CheckWritesTheInputMethodAndShellLinesAndStartsAfresh)
{
    ASSERT_TRUE(machine.DeleteFileW((kSystemFolder + u"lpk.dll").c_str()));
    machine.SetRegValue(HKEY_CURRENT_USER, u"Software\\Microsoft\\CTF\\LangBar", u"ShowStatus", REG_DWORD,
                        std::string("\x03\0\0\0", 4));
    machine.SetRegString(HKEY_LOCAL_MACHINE, kWinlogon, u"Userinit", u"");

    EXPECT_EQ(module.Check(), 1);
    EXPECT_EQ(module.Check(), 1);
    EXPECT_EQ(module.Replacements().size(), 1u);
    EXPECT_EQ(Report(), kInputMethodLine + kShellLine + kInputMethodLine + kShellLine);
    EXPECT_EQ(g_bAskRestart, 1);
}

TEST_F(KillMendoraTest, FixPutsTheVerifiedCopyInPlaceAndReportsIt)
{
    const std::u16string lpk = kSystemFolder + u"lpk.dll";
    ASSERT_TRUE(machine.DeleteFileW(lpk.c_str()));
    const std::string digest = Hex(Reference(lpk));
    const std::u16string hex(digest.begin(), digest.end());
    machine.ServeUrl(MakeSysfileAddress(u"0501.0300.2052", hex), Reference(lpk));

    ASSERT_EQ(module.Check(), 1);
    EXPECT_EQ(module.Fix(), 0);
    EXPECT_EQ(machine.FileContent(lpk), Reference(lpk));
    // "修复文件\t" and the path.
    EXPECT_EQ(Report(), "\xD0\xDE\xB8\xB4\xCE\xC4\xBC\xFE\t" + Narrow(lpk) + "\r\n");
    EXPECT_EQ(module.Check(), 0);
}

}  // namespace
