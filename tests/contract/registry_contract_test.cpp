#include <algorithm>
#include <string>
#include <vector>

#include "common/platform/handles.h"
#include "contract/contract_fixture.h"

using plat::UniqueRegKey;

namespace {

std::string Utf16Bytes(const std::u16string& s)
{
    return std::string(reinterpret_cast<const char*>(s.c_str()), (s.size() + 1) * sizeof(char16_t));
}

}  // namespace

class RegistryContract : public ContractTest {
protected:
    void TearDown() override
    {
        // Leave HKCU as found: delete the scratch key's children, then the key.
        UniqueRegKey key;
        if (Plat().RegOpenKeyExW(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_ALL_ACCESS, key.Receive()) ==
            ERROR_SUCCESS) {
            char16_t name[256];
            while (Plat().RegEnumKeyW(key.Get(), 0, name, 256) == ERROR_SUCCESS) {
                if (Plat().RegDeleteKeyW(key.Get(), name) != ERROR_SUCCESS) break;
            }
        }
        key.Reset();
        Plat().RegDeleteKeyW(HKEY_CURRENT_USER, ScratchKey().c_str());
        ContractTest::TearDown();
    }

    UniqueRegKey Create(const std::u16string& subKey, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr)
    {
        UniqueRegKey key;
        const std::u16string path = ScratchKey() + subKey;
        EXPECT_EQ(Plat().RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                         nullptr, key.Receive(), disposition),
                  ERROR_SUCCESS);
        return key;
    }
};

TEST_F(RegistryContract, CreateReportsNewThenExistingAndOpenFindsTheKey)
{
    DWORD disposition = 0;
    Create(u"", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    Create(u"", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    UniqueRegKey opened;
    EXPECT_EQ(Plat().RegOpenKeyExW(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_READ, opened.Receive()),
              ERROR_SUCCESS);
    const std::u16string missing = ScratchKey() + u"\\missing";
    UniqueRegKey none;
    EXPECT_EQ(Plat().RegOpenKeyExW(HKEY_CURRENT_USER, missing.c_str(), 0, KEY_READ, none.Receive()),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(none);
}

TEST_F(RegistryContract, StringValueRoundTripsWithItsByteCountAndSizeQueries)
{
    UniqueRegKey key = Create(u"");
    const std::string data = Utf16Bytes(u"\"C:\\x.exe\" second_proc");
    ASSERT_EQ(Plat().RegSetValueExW(key.Get(), u"vexloKillerTools", 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(Plat().RegQueryValueExW(key.Get(), u"VEXLOKILLERTOOLS", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, data.size());

    std::vector<BYTE> small(4);
    size = static_cast<DWORD>(small.size());
    EXPECT_EQ(Plat().RegQueryValueExW(key.Get(), u"vexloKillerTools", nullptr, &type, small.data(), &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, data.size());

    std::vector<BYTE> full(size);
    ASSERT_EQ(Plat().RegQueryValueExW(key.Get(), u"vexloKillerTools", nullptr, &type, full.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(full.begin(), full.end()), data);

    EXPECT_EQ(Plat().RegDeleteValueW(key.Get(), u"vexloKillerTools"), ERROR_SUCCESS);
    EXPECT_EQ(Plat().RegQueryValueExW(key.Get(), u"vexloKillerTools", nullptr, &type, nullptr, &size),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryContract, AccessMaskOfTheOpenIsEnforced)
{
    Create(u"");
    UniqueRegKey readOnly;
    ASSERT_EQ(Plat().RegOpenKeyExW(HKEY_CURRENT_USER, ScratchKey().c_str(), 0, KEY_QUERY_VALUE, readOnly.Receive()),
              ERROR_SUCCESS);
    const BYTE one[4] = {1, 0, 0, 0};
    EXPECT_EQ(Plat().RegSetValueExW(readOnly.Get(), u"v", 0, REG_DWORD, one, 4), static_cast<LONG>(ERROR_ACCESS_DENIED));
}

TEST_F(RegistryContract, EnumerationListsEverythingSortsKeysAndEndsWithNoMoreItems)
{
    UniqueRegKey key = Create(u"");
    Create(u"\\beta");
    Create(u"\\Alpha");
    for (const char16_t* name : {u"zeta", u"alpha", u"mid"}) {
        const BYTE one[4] = {1, 0, 0, 0};
        ASSERT_EQ(Plat().RegSetValueExW(key.Get(), name, 0, REG_DWORD, one, 4), ERROR_SUCCESS);
    }
    std::vector<std::u16string> values;
    for (DWORD i = 0;; ++i) {
        char16_t name[64];
        DWORD chars = 64;
        DWORD type = 0;
        BYTE data[8];
        DWORD size = sizeof data;
        const LONG status = Plat().RegEnumValueW(key.Get(), i, name, &chars, nullptr, &type, data, &size);
        if (status != ERROR_SUCCESS) {
            EXPECT_EQ(status, static_cast<LONG>(ERROR_NO_MORE_ITEMS));
            break;
        }
        EXPECT_EQ(chars, std::u16string(name).size());
        EXPECT_EQ(size, 4u);
        values.push_back(name);
    }
    // Windows returns values in the order they were created, Wine sorted by
    // name; Windows promises no order, so nothing may rely on one.
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<std::u16string>{u"alpha", u"mid", u"zeta"}));

    std::vector<std::u16string> keys;
    char16_t name[64];
    for (DWORD i = 0; Plat().RegEnumKeyW(key.Get(), i, name, 64) == ERROR_SUCCESS; ++i) keys.push_back(name);
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Alpha", u"beta"}));
    EXPECT_EQ(Plat().RegEnumKeyW(key.Get(), 2, name, 64), static_cast<LONG>(ERROR_NO_MORE_ITEMS));
}

TEST_F(RegistryContract, KeyWithSubkeysIsNotDeleted)
{
    Create(u"\\child\\grandchild");
    const std::u16string child = ScratchKey() + u"\\child";
    EXPECT_NE(Plat().RegDeleteKeyW(HKEY_CURRENT_USER, child.c_str()), ERROR_SUCCESS);
    const std::u16string grandchild = child + u"\\grandchild";
    EXPECT_EQ(Plat().RegDeleteKeyW(HKEY_CURRENT_USER, grandchild.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(Plat().RegDeleteKeyW(HKEY_CURRENT_USER, child.c_str()), ERROR_SUCCESS);
    UniqueRegKey gone;
    EXPECT_EQ(Plat().RegOpenKeyExW(HKEY_CURRENT_USER, child.c_str(), 0, KEY_READ, gone.Receive()),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}
