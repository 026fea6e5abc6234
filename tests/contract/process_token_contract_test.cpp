// The process's command line and the enabling of a privilege in its own token.
#include <string>

#include "common/platform/handles.h"
#include "contract/contract_fixture.h"

namespace {

std::u16string Folded(std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

}  // namespace

using ProcessTokenContract = ContractTest;

TEST_F(ProcessTokenContract, CommandLineNamesTheProgramFile)
{
    const char16_t* commandLine = Plat().GetCommandLineW();
    ASSERT_NE(commandLine, nullptr);
    char16_t path[512] = {};
    const DWORD n = Plat().GetModuleFileNameW(nullptr, path, 512);
    ASSERT_GT(n, 0u);
    const std::u16string program(path, n);
    const std::u16string fileName = program.substr(program.find_last_of(u'\\') + 1);
    EXPECT_NE(Folded(commandLine).find(Folded(fileName)), std::u16string::npos);
}

TEST_F(ProcessTokenContract, PrivilegesHaveTheirFixedIdsAndAreEnabledThroughTheToken)
{
    LUID shutdown = {}, debug = {};
    ASSERT_TRUE(Plat().LookupPrivilegeValueW(nullptr, u"SeShutdownPrivilege", &shutdown));
    EXPECT_EQ(shutdown.LowPart, 19u);
    EXPECT_EQ(shutdown.HighPart, 0);
    ASSERT_TRUE(Plat().LookupPrivilegeValueW(nullptr, u"sedebugprivilege", &debug));
    EXPECT_EQ(debug.LowPart, 20u);
    LUID unknown = {};
    EXPECT_FALSE(Plat().LookupPrivilegeValueW(nullptr, u"SeNoSuchPrivilege", &unknown));
    EXPECT_EQ(Plat().GetLastError(), ERROR_NO_SUCH_PRIVILEGE);

    HANDLE opened = nullptr;
    ASSERT_TRUE(Plat().OpenProcessToken(Plat().GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened));
    plat::UniqueHandle token(opened);
    TOKEN_PRIVILEGES enable = {};
    enable.PrivilegeCount = 1;
    enable.Privileges[0].Luid = shutdown;
    enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    Plat().SetLastError(ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(Plat().AdjustTokenPrivileges(token.Get(), FALSE, &enable, sizeof enable, nullptr, nullptr));
    // An administrator holds the privilege; success alone would not prove it.
    EXPECT_EQ(Plat().GetLastError(), NO_ERROR);

    LUID backup = {};
    ASSERT_TRUE(Plat().LookupPrivilegeValueW(nullptr, u"SeBackupPrivilege", &backup));
    enable.Privileges[0].Luid = backup;
    ASSERT_TRUE(Plat().AdjustTokenPrivileges(token.Get(), FALSE, &enable, sizeof enable, nullptr, nullptr));
    EXPECT_EQ(Plat().GetLastError(), NO_ERROR);
}

TEST_F(ProcessTokenContract, AdjustingNeedsTheAdjustRight)
{
    LUID shutdown = {};
    ASSERT_TRUE(Plat().LookupPrivilegeValueW(nullptr, u"SeShutdownPrivilege", &shutdown));
    HANDLE opened = nullptr;
    ASSERT_TRUE(Plat().OpenProcessToken(Plat().GetCurrentProcess(), TOKEN_QUERY, &opened));
    plat::UniqueHandle token(opened);
    TOKEN_PRIVILEGES enable = {};
    enable.PrivilegeCount = 1;
    enable.Privileges[0].Luid = shutdown;
    enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_FALSE(Plat().AdjustTokenPrivileges(token.Get(), FALSE, &enable, sizeof enable, nullptr, nullptr));
    EXPECT_EQ(Plat().GetLastError(), ERROR_ACCESS_DENIED);
}
