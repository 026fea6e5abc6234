// A whole run with the do-nothing module slots, against the machine's real
// common application-data folder.
#include <cstdio>
#include <string>

#include "contract/contract_fixture.h"
#include "run/report.h"
#include "run/run_flags.h"
#include "run/runner.h"

namespace {

std::string StartLine(const SYSTEMTIME& t)
{
    char line[64];
    std::snprintf(line, sizeof line, "StartTime:%d-%d-%d %d:%d:%d\r\n\r\n", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return line;
}

const std::string kTail = std::string("\xCE\xB4\xB7\xA2\xCF\xD6\xD2\xEC\xB3\xA3") + "\r\n" + std::string(69, '=') + "\r\n\r\n";

}  // namespace

class RunContract : public ContractTest {
protected:
    // The report of one run, accepting the start line of either second the run may have begun in.
    void ExpectOneReport(const std::string& log, size_t offset, const SYSTEMTIME& before, const SYSTEMTIME& after)
    {
        const std::string first = StartLine(before) + kTail;
        const std::string second = StartLine(after) + kTail;
        const std::string actual = log.substr(offset);
        EXPECT_TRUE(actual.compare(0, first.size(), first) == 0 || actual.compare(0, second.size(), second) == 0)
            << actual;
    }

    size_t RunOnce(std::string* log)
    {
        SYSTEMTIME before = {}, after = {};
        Plat().GetLocalTime(&before);
        // The slots' headings and rules, with the do-nothing module in each.
        ModuleSlots placeholders = DefaultModuleSlots();
        for (ModuleSlot& slot : placeholders) {
            slot.create = [] { return std::unique_ptr<IModuleKillClient>(new IModuleKillClientNull); };
        }
        RunRepairWith(nullptr, placeholders);
        Plat().GetLocalTime(&after);
        const size_t previous = log->size();
        *log = ReadAll(GetReportFilePath());
        ExpectOneReport(*log, previous, before, after);
        return log->size() - previous;
    }
};

TEST_F(RunContract, PlaceholderRunsAppendTheirExactReportsAndAnOversizedLogIsReplaced)
{
    g_bSecondProc = 1;  // never offer a restart from a test
    const std::u16string logPath = GetReportFilePath();
    ASSERT_FALSE(logPath.empty());
    Plat().DeleteFileW(logPath.c_str());

    std::string log;
    const size_t firstSize = RunOnce(&log);
    EXPECT_EQ(log.size(), firstSize);
    RunOnce(&log);  // directly after the first report
    EXPECT_EQ(g_bFoundProblem, 0);

    WriteAll(logPath, std::string(0x100001, 'x'));
    std::string replaced;
    RunOnce(&replaced);
    EXPECT_EQ(replaced.find('x'), std::string::npos);
    g_bSecondProc = 0;
}
