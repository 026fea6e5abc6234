// The in-memory machine's token: a privilege that is not held is reported as
// not assigned although the call succeeds, as Windows does.
#include <gtest/gtest.h>

#include "common/platform/handles.h"
#include "common/platform/sim/sim_machine.h"

TEST(SimToken, EnablingAPrivilegeThatIsNotHeldSucceedsButSaysNotAllAssigned)
{
    plat::sim::SimMachine machine;
    plat::ScopedPlatform installed(machine);
    machine.SetPrivilegeHeld(u"SeDebugPrivilege", false);

    HANDLE opened = nullptr;
    ASSERT_TRUE(machine.OpenProcessToken(machine.GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened));
    {
        plat::UniqueHandle token(opened);
        TOKEN_PRIVILEGES enable = {};
        enable.PrivilegeCount = 1;
        enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        ASSERT_TRUE(machine.LookupPrivilegeValueW(nullptr, u"SeDebugPrivilege", &enable.Privileges[0].Luid));
        EXPECT_TRUE(machine.AdjustTokenPrivileges(token.Get(), FALSE, &enable, sizeof enable, nullptr, nullptr));
        EXPECT_EQ(machine.GetLastError(), ERROR_NOT_ALL_ASSIGNED);
        EXPECT_FALSE(machine.PrivilegeEnabled(u"SeDebugPrivilege"));

        ASSERT_TRUE(machine.LookupPrivilegeValueW(nullptr, u"SeShutdownPrivilege", &enable.Privileges[0].Luid));
        EXPECT_TRUE(machine.AdjustTokenPrivileges(token.Get(), FALSE, &enable, sizeof enable, nullptr, nullptr));
        EXPECT_EQ(machine.GetLastError(), NO_ERROR);
        EXPECT_TRUE(machine.PrivilegeEnabled(u"SeShutdownPrivilege"));
    }
    EXPECT_EQ(machine.OpenHandleCount(), 0u);
}
