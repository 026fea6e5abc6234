#include "modules/sysfile/platform_key.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/platform/sim/sim_machine.h"

using plat::sim::SimMachine;

namespace {

const std::u16string kIndexFile = u"C:\\Documents and Settings\\All Users\\Application Data\\morvathTools\\mendora.idx";

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

TEST(GetPlatformKey, NamesReleaseServicePackAndLanguageBeforeVista)
{
    const struct {
        DWORD major, minor;
        WORD servicePack, servicePackMinor;
        LANGID language;
        const char16_t* key;
    } cases[] = {
        {5, 1, 3, 0, 2052, u"0501.0300.2052"},  // XP SP3, Simplified Chinese
        {5, 1, 3, 0, 1033, u"0501.0300.1033"},
        {5, 1, 3, 0, 1028, u"0501.0300.1028"},  // Traditional Chinese: a key without an index
        {5, 1, 2, 1, 2052, u"0501.0200.2052"},  // the service-pack minor number is not used
        {5, 2, 2, 0, 1033, u"0502.0200.1033"},
        {5, 0, 4, 0, 2052, u"0500.0400.2052"},  // Windows 2000
        // From Vista on the language is left out.
        {6, 0, 1, 0, 2052, u"0600.0100.0000"},
        {6, 1, 0, 0, 1033, u"0601.0000.0000"},
        {6, 1, 1, 0, 1028, u"0601.0100.0000"},
        {10, 0, 0, 0, 2052, u"1000.0000.0000"},
    };
    for (const auto& c : cases) {
        SimMachine machine;
        plat::ScopedPlatform scoped(machine);
        machine.SetWindowsVersion(c.major, c.minor, 2600, c.servicePack, c.servicePackMinor);
        machine.SetSystemDefaultUILanguage(c.language);
        std::u16string key = u"left over";
        GetPlatformKey(key);
        EXPECT_EQ(Narrow(key), Narrow(c.key)) << c.major << "." << c.minor << " SP" << c.servicePack;
    }
}

TEST(GetPlatformKey, IsEmptyWhenWindowsDoesNotTellItsVersion)
{
    SimMachine machine;
    plat::ScopedPlatform scoped(machine);
    machine.FailCall("GetVersionExW", ERROR_INVALID_PARAMETER);
    std::u16string key = u"0501.0300.2052";
    GetPlatformKey(key);
    EXPECT_TRUE(key.empty());
}

TEST(IndexResourceTable, MapsEachSupportedKeyToOneOfTheIds214To231)
{
    std::set<WORD> ids;
    std::set<std::u16string> keys;
    for (const IndexResource& row : IndexResourceTable) {
        ids.insert(row.resourceId);
        keys.insert(row.platformKey);
        EXPECT_EQ(std::u16string(row.platformKey).size(), 14u);
    }
    EXPECT_EQ(keys.size(), INDEX_RESOURCE_COUNT);
    ASSERT_EQ(ids.size(), INDEX_RESOURCE_COUNT);
    EXPECT_EQ(*ids.begin(), 214);
    EXPECT_EQ(*ids.rbegin(), 231);

    EXPECT_EQ(FindIndexResource(u"0501.0300.2052"), 214);
    EXPECT_EQ(FindIndexResource(u"0501.0300.1033"), 221);
    EXPECT_EQ(FindIndexResource(u"0601.0000.0000"), 222);
    EXPECT_EQ(FindIndexResource(u"0502.0000.2052"), 224);
    EXPECT_EQ(FindIndexResource(u"0600.0200.0000"), 231);
    for (const char16_t* unsupported :
         {u"0501.0300.1028", u"0601.0100.0000", u"0500.0400.2052", u"", u"0501.0300.2052 "}) {
        EXPECT_EQ(FindIndexResource(unsupported), 0) << Narrow(unsupported);
    }
}

class ExtractDigestIndexTest : public ::testing::Test {
protected:
    SimMachine machine;
    plat::ScopedPlatform scoped{machine};

    void SetUp() override
    {
        machine.SetResource(u"bin", 214, "index of XP SP3 zh");
        machine.SetResource(u"bin", 221, "index of XP SP3 en");
    }
};

TEST_F(ExtractDigestIndexTest, WritesThePlatformsIndexOverWhateverTheFileHeld)
{
    machine.AddFile(kIndexFile, "a longer index left by an earlier run on another platform");
    std::u16string path;
    ASSERT_EQ(ExtractDigestIndex(path, u"0501.0300.1033"), 1);
    EXPECT_EQ(Narrow(path), Narrow(kIndexFile));
    EXPECT_EQ(machine.FileContent(kIndexFile), "index of XP SP3 en");
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

TEST_F(ExtractDigestIndexTest, CreatesTheFolderAlsoForAKeyWithoutIndexButWritesNothing)
{
    std::u16string path = u"unchanged";
    EXPECT_EQ(ExtractDigestIndex(path, u"0501.0300.1028"), 0);
    EXPECT_EQ(ExtractDigestIndex(path, u""), 0);
    EXPECT_EQ(Narrow(path), "unchanged");
    EXPECT_TRUE(machine.Exists(u"C:\\Documents and Settings\\All Users\\Application Data\\morvathTools"));
    EXPECT_FALSE(machine.Exists(kIndexFile));
}

TEST_F(ExtractDigestIndexTest, FolderWithTrailingBackslashAndFolderWindowsCannotName)
{
    machine.AddDirectory(u"D:\\ProgramData");
    machine.SetFolderPath(CSIDL_COMMON_APPDATA, u"D:\\ProgramData\\");
    std::u16string path;
    ASSERT_EQ(ExtractDigestIndex(path, u"0501.0300.2052"), 1);
    EXPECT_EQ(Narrow(path), "D:\\ProgramData\\morvathTools\\mendora.idx");
    EXPECT_EQ(machine.FileContent(path), "index of XP SP3 zh");

    machine.SetFolderPath(CSIDL_COMMON_APPDATA, u"");
    path = u"unchanged";
    EXPECT_EQ(ExtractDigestIndex(path, u"0501.0300.2052"), 0);
    EXPECT_EQ(Narrow(path), "unchanged");
}

TEST_F(ExtractDigestIndexTest, WriteBinResourceReportsSuccessWhateverHappens)
{
    // An id that is not there leaves an empty file, not the earlier content.
    const std::u16string file = u"C:\\out.bin";
    machine.AddFile(file, "earlier");
    EXPECT_EQ(WriteBinResource(230, file), 1);
    EXPECT_EQ(machine.FileContent(file), "");

    // A file held without sharing keeps its content.
    EXPECT_EQ(WriteBinResource(214, file), 1);
    machine.HoldFileOpen(file, GENERIC_READ, FILE_SHARE_READ);
    EXPECT_EQ(WriteBinResource(221, file), 1);
    EXPECT_EQ(machine.FileContent(file), "index of XP SP3 zh");

    EXPECT_EQ(WriteBinResource(214, u"C:\\no such folder\\out.bin"), 1);
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}

}  // namespace
