// The service control manager: kernel-driver services as the system-file
// repair creates them, kept where Windows keeps services.
#include <string>

#include "common/platform/handles.h"
#include "contract/contract_fixture.h"

using plat::UniqueServiceHandle;

using ServiceContract = ContractTest;

TEST_F(ServiceContract, DriverServiceIsCreatedOnceAndKeptInTheRegistry)
{
    const std::u16string name = u"vexlo_contract_drv";
    const std::u16string driver = Scratch(u"vexlo_contract_drv.sys");
    UniqueServiceHandle manager(Plat().OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    UniqueServiceHandle created(Plat().CreateServiceW(manager.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                                      SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                                      SERVICE_ERROR_NORMAL, driver.c_str(), nullptr, nullptr, nullptr,
                                                      nullptr, nullptr));
    ASSERT_TRUE(created) << Plat().GetLastError();
    UniqueServiceHandle again(Plat().CreateServiceW(manager.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                                    SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                                    driver.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(again);
    EXPECT_EQ(Plat().GetLastError(), ERROR_SERVICE_EXISTS);

    UniqueServiceHandle opened(Plat().OpenServiceW(manager.Get(), name.c_str(), SERVICE_ALL_ACCESS));
    EXPECT_TRUE(opened);
    // The driver file does not exist, so it cannot start.
    EXPECT_FALSE(Plat().StartServiceW(opened.Get(), 0, nullptr));
    EXPECT_NE(Plat().GetLastError(), ERROR_SERVICE_ALREADY_RUNNING);

    plat::UniqueRegKey key;
    ASSERT_EQ(Plat().RegOpenKeyExW(HKEY_LOCAL_MACHINE, (u"SYSTEM\\CurrentControlSet\\Services\\" + name).c_str(), 0,
                                   KEY_QUERY_VALUE, key.Receive()),
              ERROR_SUCCESS);
    for (auto [value, expected] : {std::pair{u"Type", SERVICE_KERNEL_DRIVER}, std::pair{u"Start", SERVICE_DEMAND_START}}) {
        DWORD data = 0;
        DWORD size = sizeof data;
        DWORD type = 0;
        ASSERT_EQ(Plat().RegQueryValueExW(key.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, REG_DWORD);
        EXPECT_EQ(data, expected);
    }
}

TEST_F(ServiceContract, UnknownServiceDoesNotOpen)
{
    UniqueServiceHandle manager(Plat().OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ASSERT_TRUE(manager);
    UniqueServiceHandle none(Plat().OpenServiceW(manager.Get(), u"vexlo_no_such_service", SERVICE_ALL_ACCESS));
    EXPECT_FALSE(none);
    EXPECT_EQ(Plat().GetLastError(), ERROR_SERVICE_DOES_NOT_EXIST);
}
