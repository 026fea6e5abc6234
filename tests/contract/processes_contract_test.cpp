// Process snapshots, module lists and opening a process: the program finds
// itself among the running processes.
#include <string>

#include "common/platform/handles.h"
#include "common/platform/wchar16.h"
#include "contract/contract_fixture.h"

using plat::UniqueHandle;

namespace {

std::u16string Lower(std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

}  // namespace

class ProcessContract : public ContractTest {
protected:
    void SetUp() override
    {
        ContractTest::SetUp();
        char16_t path[MAX_PATH] = {};
        const DWORD n = Plat().GetModuleFileNameW(nullptr, path, MAX_PATH);
        ASSERT_GT(n, 0u);
        m_program = Lower(std::u16string(path, n));
        m_fileName = m_program.substr(m_program.rfind(u'\\') + 1);
    }
    std::u16string m_program;
    std::u16string m_fileName;
};

TEST_F(ProcessContract, SnapshotListsTheProgramAndItsMainModule)
{
    UniqueHandle snapshot(Plat().CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    ASSERT_TRUE(snapshot.Valid());
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD self = 0;
    int count = 0;
    for (BOOL more = Plat().Process32FirstW(snapshot.Get(), &entry); more;
         more = Plat().Process32NextW(snapshot.Get(), &entry)) {
        ++count;
        const std::u16string exe = Lower(plat::U16(entry.szExeFile));
        if (exe == m_fileName || exe == m_program) self = entry.th32ProcessID;
    }
    EXPECT_EQ(Plat().GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_GT(count, 1);
    ASSERT_NE(self, 0u);

    UniqueHandle process(Plat().OpenProcess(PROCESS_ALL_ACCESS, FALSE, self));
    ASSERT_TRUE(process.Valid());
    char16_t path[MAX_PATH] = {};
    const DWORD n = Plat().GetModuleFileNameExW(process.Get(), nullptr, path, MAX_PATH);
    EXPECT_EQ(Lower(std::u16string(path, n)), m_program);

    UniqueHandle modules(Plat().CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, self));
    ASSERT_TRUE(modules.Valid());
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    ASSERT_TRUE(Plat().Module32FirstW(modules.Get(), &module));
    EXPECT_EQ(Lower(plat::U16(module.szExePath)), m_program);
    EXPECT_EQ(module.th32ProcessID, self);
}

TEST_F(ProcessContract, TheIdleProcessDoesNotOpen)
{
    UniqueHandle idle(Plat().OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0));
    EXPECT_FALSE(idle.Valid());
}
