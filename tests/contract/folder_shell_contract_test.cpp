#include <string>

#include "contract/contract_fixture.h"

using FolderContract = ContractTest;

TEST_F(FolderContract, CommonAppDataIsAnExistingFolderWithoutTrailingBackslash)
{
    char16_t path[MAX_PATH] = {};
    ASSERT_EQ(Plat().SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    const std::u16string folder(path);
    ASSERT_GT(folder.size(), 3u);
    EXPECT_NE(folder.back(), u'\\');
    EXPECT_NE(Plat().GetFileAttributesW(path) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(FolderContract, ModuleFileNameIsTheProgramAndReportsAFullShortBuffer)
{
    char16_t path[512] = {};
    const DWORD n = Plat().GetModuleFileNameW(nullptr, path, 512);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, 512u);
    const std::u16string program(path, n);
    EXPECT_EQ(program.size(), std::u16string(path).size());
    EXPECT_NE(Plat().GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
    char16_t small[4] = {};
    EXPECT_EQ(Plat().GetModuleFileNameW(nullptr, small, 4), 4u);
}

TEST_F(FolderContract, LocalTimeIsAValidDate)
{
    SYSTEMTIME now = {};
    Plat().GetLocalTime(&now);
    EXPECT_GE(now.wYear, 2000);
    EXPECT_GE(now.wMonth, 1);
    EXPECT_LE(now.wMonth, 12);
    EXPECT_GE(now.wDay, 1);
    EXPECT_LE(now.wDay, 31);
    EXPECT_LE(now.wHour, 23);
    EXPECT_LE(now.wMinute, 59);
    EXPECT_LE(now.wSecond, 59);
}

TEST_F(FolderContract, PostingToTheThreadQueueSucceeds)
{
    EXPECT_TRUE(Plat().PostMessageW(nullptr, WM_USER + 100, 0, 0));
}

TEST_F(FolderContract, ShellOpenOfAMissingFileFails)
{
    const std::u16string missing = Scratch(u"missing.log");
    const auto result = reinterpret_cast<uintptr_t>(
        Plat().ShellExecuteW(nullptr, u"open", missing.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_LE(result, 32u);
}
