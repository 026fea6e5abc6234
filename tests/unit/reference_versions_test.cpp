#include "modules/sysfile/reference_versions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::string Narrow(const char16_t* text)
{
    std::string out;
    for (; *text != u'\0'; ++text) out += static_cast<char>(*text);
    return out;
}

// The table compiled in from data/reference_versions.tsv: every row, in its groups.
TEST(ReferenceVersionTable, HoldsEveryRowOfTheDataFileInItsGroups)
{
    const auto table = ReferenceVersionTable();
    ASSERT_EQ(table.size(), 496u);
    std::map<std::string, int> rows;
    std::string previous;
    int groups = 0;
    for (const ReferenceVersionRow& row : table) {
        const std::string key = Narrow(row.platformKey);
        if (key != previous) ++groups;
        previous = key;
        ++rows[key];
    }
    EXPECT_EQ(groups, 18);
    EXPECT_EQ(rows["0501.0000.1033"], 27);
    EXPECT_EQ(rows["0501.0300.2052"], 28);
    EXPECT_EQ(rows["0600.0000.0000"], 27);
    EXPECT_EQ(rows["0601.0000.0000"], 26);

    const auto text = [&](const char* key, const char* file) {
        for (const ReferenceVersionRow& row : table) {
            if (Narrow(row.platformKey) == key && Narrow(row.fileName) == file) return Narrow(row.versionText);
        }
        return std::string("<no row>");
    };
    EXPECT_EQ(text("0501.0300.2052", "kernel32.dll"), "5.1.2600.5512 (xpsp.080413-2111)");
    EXPECT_EQ(text("0501.0000.1033", "rpcss.dll"), "5.1.2600.0 (XPClient.010817-1148)");
    EXPECT_EQ(text("0601.0000.0000", "olepro32.dll"), "6.1.7600.16385");
    EXPECT_EQ(text("0600.0200.0000", "conime.exe"), "6.0.6002.18005 (lh_sp2rtm.090410-1830)");
    EXPECT_EQ(text("0601.0000.0000", "conime.exe"), "<no row>");
}

}  // namespace
