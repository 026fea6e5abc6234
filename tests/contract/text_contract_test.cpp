#include <string>

#include "contract/contract_fixture.h"

namespace {

struct Narrow {
    std::string bytes;
    BOOL usedDefault;
};

Narrow ToNarrow(UINT codePage, const std::u16string& wide)
{
    BOOL usedDefault = FALSE;
    const int n = plat::P().WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    const int written = plat::P().WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                                      out.data(), n, nullptr, &usedDefault);
    EXPECT_EQ(written, n);
    return {out, usedDefault};
}

}  // namespace

using TextContract = ContractTest;

TEST_F(TextContract, WideToCodePagesWithDefaultCharacterForUnmappable)
{
    struct Case {
        UINT codePage;
        std::u16string wide;
        std::string bytes;
        BOOL usedDefault;
    } cases[] = {
        {936, u"未发现异常", "\xCE\xB4\xB7\xA2\xCF\xD6\xD2\xEC\xB3\xA3", FALSE},
        {936, u"a\u0E01b", "a?b", TRUE},
        {1252, u"caf\u00E9", "caf\xE9", FALSE},
        {1252, u"\u4E2D", "?", TRUE},
    };
    for (const Case& c : cases) {
        const Narrow narrow = ToNarrow(c.codePage, c.wide);
        EXPECT_EQ(narrow.bytes, c.bytes) << c.codePage;
        EXPECT_EQ(narrow.usedDefault, c.usedDefault) << c.codePage;
    }
    EXPECT_EQ(ToNarrow(CP_UTF8, u"\u4E2D").bytes, "\xE4\xB8\xAD");
}

TEST_F(TextContract, NullTerminatedInputCountsTheTerminatorAndShortBufferFails)
{
    EXPECT_EQ(Plat().WideCharToMultiByte(936, 0, u"ab", -1, nullptr, 0, nullptr, nullptr), 3);
    char small[2];
    EXPECT_EQ(Plat().WideCharToMultiByte(936, 0, u"abc", 3, small, 2, nullptr, nullptr), 0);
    EXPECT_EQ(Plat().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(TextContract, NarrowToWide)
{
    const std::string gbk = "x\xCE\xB4\xB7\xA2";
    char16_t wide[8] = {};
    const int n = Plat().MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide, 8);
    EXPECT_EQ(std::u16string(wide, static_cast<size_t>(n > 0 ? n : 0)), u"x未发");
    EXPECT_EQ(Plat().MultiByteToWideChar(CP_UTF8, 0, "\xE4\xB8\xAD", -1, nullptr, 0), 2);
}
