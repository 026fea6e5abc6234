#include <gtest/gtest.h>

#include <string>

#include "common/platform/sim/sim_machine.h"
#include "run/report.h"

using plat::sim::SimMachine;

namespace {

const std::u16string kLogFolder = u"C:\\Documents and Settings\\All Users\\Application Data\\vexloTools";
const std::u16string kLogPath = kLogFolder + u"\\Tools.log";

class ReportTest : public ::testing::Test {
protected:
    SimMachine machine;
    plat::ScopedPlatform installed{machine};

    void SetReport(const std::string& bytes)
    {
        ReportAssign(u"");
        ReportAppend(bytes.data(), bytes.size());
    }
    std::string Report() const { return std::string(ReportData(), ReportLength()); }
};

}  // namespace

TEST_F(ReportTest, StartLineHasNoLeadingZeros)
{
    struct Case {
        int y, mo, d, h, mi, s;
        const char* line;
    } cases[] = {
        {2011, 1, 1, 0, 0, 0, "StartTime:2011-1-1 0:0:0\r\n\r\n"},
        {2010, 6, 5, 9, 3, 7, "StartTime:2010-6-5 9:3:7\r\n\r\n"},
        {2009, 12, 31, 23, 59, 59, "StartTime:2009-12-31 23:59:59\r\n\r\n"},
    };
    for (const Case& c : cases) {
        ReportAppend("old", 3);
        ReportFormatStartLine(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_EQ(Report(), c.line);
    }
}

TEST_F(ReportTest, AppendTakesExactCountsAndMayCopyFromTheReportItself)
{
    SetReport("abc");
    ReportAppend("de\0f", 4);
    EXPECT_EQ(Report(), std::string("abcde\0f", 7));
    // Large enough that the buffer must move while appending its own bytes.
    SetReport(std::string(1000, 'q'));
    ReportAppend(ReportData(), ReportLength());
    EXPECT_EQ(Report(), std::string(2000, 'q'));
    EXPECT_EQ(ReportData()[ReportLength()], '\0');
}

TEST_F(ReportTest, WideTextIsConvertedWithTheThreadCodePage)
{
    ReportAssign(u"修复文件\t");
    ReportAppendWide(u"C:\\\u0E01.dll");
    EXPECT_EQ(Report(), "\xD0\xDE\xB8\xB4\xCE\xC4\xBC\xFE\tC:\\?.dll");
    ReportAssign(nullptr);
    EXPECT_EQ(ReportLength(), 0u);

    machine.SetAnsiCodePage(1252);
    ReportAssign(u"caf\u00E9");
    EXPECT_EQ(Report(), "caf\xE9");
}

TEST_F(ReportTest, WriteCreatesTheFolderAndAppendsRunAfterRun)
{
    ASSERT_FALSE(machine.Exists(kLogFolder));
    SetReport("first\r\n");
    EXPECT_TRUE(WriteReportFile());
    SetReport("second\r\n");
    EXPECT_TRUE(WriteReportFile());
    EXPECT_EQ(machine.FileContent(kLogPath), "first\r\nsecond\r\n");
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

TEST_F(ReportTest, LogOfOneMebibyteIsAppendedToAndOneByteMoreIsEmptiedFirst)
{
    struct Case {
        size_t oldSize;
        size_t expectedSize;
    } cases[] = {{0x100000, 0x100000 + 3}, {0x100001, 3}};
    for (const Case& c : cases) {
        machine.AddFile(kLogPath, std::string(c.oldSize, 'x'));
        SetReport("new");
        EXPECT_TRUE(WriteReportFile());
        const auto content = machine.FileContent(kLogPath);
        ASSERT_TRUE(content);
        EXPECT_EQ(content->size(), c.expectedSize);
        EXPECT_EQ(content->substr(content->size() - 3), "new");
    }
}

TEST_F(ReportTest, LogHeldWithoutWriteSharingIsLeftUntouched)
{
    machine.AddFile(kLogPath, "kept");
    machine.HoldFileOpen(kLogPath, GENERIC_READ, FILE_SHARE_READ);
    SetReport("lost");
    EXPECT_FALSE(WriteReportFile());
    EXPECT_EQ(machine.FileContent(kLogPath), "kept");
}

TEST_F(ReportTest, NoLogWhenWindowsCannotNameTheCommonDataFolder)
{
    machine.SetFolderPath(CSIDL_COMMON_APPDATA, u"");
    SetReport("x");
    EXPECT_FALSE(WriteReportFile());
    EXPECT_EQ(GetReportFilePath(), u"");
    OpenReportFile();
    EXPECT_TRUE(machine.ShellExecuteCalls().empty());
    EXPECT_FALSE(machine.Exists(u"C:\\vexloTools"));
}

TEST_F(ReportTest, FolderWithTrailingBackslashGetsNoSecondOne)
{
    machine.SetFolderPath(CSIDL_COMMON_APPDATA, u"D:\\");
    EXPECT_EQ(GetReportFilePath(), u"D:\\vexloTools\\Tools.log");
}

TEST_F(ReportTest, OpenReportFileHandsThePathToTheShell)
{
    OpenReportFile();
    const auto calls = machine.ShellExecuteCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, u"open");
    EXPECT_EQ(calls[0].file, kLogPath);
    EXPECT_EQ(calls[0].parameters, u"");
    EXPECT_EQ(calls[0].directory, u"");
    EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
    EXPECT_FALSE(machine.Exists(kLogFolder));
}
