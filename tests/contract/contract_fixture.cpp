#include "contract/contract_fixture.h"

#include "common/platform/handles.h"

#ifdef _WIN32
#include "common/platform/win32/win32_platform.h"
#else
#include "common/platform/sim/sim_machine.h"
#endif

namespace {

std::u16string TestName()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    return std::u16string(name.begin(), name.end());
}

}  // namespace

struct ContractTest::State {
#ifdef _WIN32
    plat::Win32Platform platform;
#else
    plat::sim::SimMachine platform;
#endif
    std::unique_ptr<plat::ScopedPlatform> installed;
};

void ContractTest::SetUp()
{
    m_state = std::make_shared<State>();
    m_state->installed = std::make_unique<plat::ScopedPlatform>(m_state->platform);
#ifdef _WIN32
    // The Wine prefix of a contract run is thrown away afterwards.
    m_scratchDir = u"C:\\vexlo-contract\\" + TestName();
    Plat().CreateDirectoryW(u"C:\\vexlo-contract", nullptr);
#else
    m_scratchDir = u"C:\\vexlo-contract\\" + TestName();
    m_state->platform.AddDirectory(u"C:\\vexlo-contract");
#endif
    ASSERT_TRUE(Plat().CreateDirectoryW(m_scratchDir.c_str(), nullptr)) << "scratch folder left from an earlier run";
    m_scratchKey = u"Software\\VexloContract\\" + TestName();
}

void ContractTest::TearDown() { m_state.reset(); }

std::string ContractTest::ReadAll(const std::u16string& path)
{
    plat::UniqueFile file(
        Plat().CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) return "<cannot open>";
    std::string content;
    char buffer[65536];
    DWORD read = 0;
    while (Plat().ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read != 0) content.append(buffer, read);
    return content;
}

void ContractTest::WriteAll(const std::u16string& path, const std::string& content)
{
    plat::UniqueFile file(Plat().CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid());
    DWORD written = 0;
    ASSERT_TRUE(Plat().WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    ASSERT_EQ(written, content.size());
}
