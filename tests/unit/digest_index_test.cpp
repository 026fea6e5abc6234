#include "modules/sysfile/digest_index.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

Md5Digest FromHex(const char* hex)
{
    Md5Digest digest{};
    for (size_t i = 0; i < digest.size(); ++i) {
        const auto nibble = [](char c) { return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'a' + 10); };
        digest[i] = static_cast<uint8_t>(nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]));
    }
    return digest;
}

std::u16string Hex(const Md5Digest& digest)
{
    std::u16string text;
    DigestToHex(digest, text);
    return text;
}

constexpr char16_t kWindows[] = u"C:\\WINDOWS\\";

// Records of the Windows XP SP3 Chinese index (resource 214) and the lpk.dll
// record of the English one (resource 221).
const char* const kLpkKey = "6435d74bb98354a6e4476d690d3ec29d";
const char* const kExplorerKey = "8a82d323106118d62dcac36e13d7ee8d";
const char* const kNetbiosKey = "4a620940b2ab8fb3c26e0ecad2abd42a";
const char* const kMsvcr71Key = "bd9d9d1920bd57db8fd57bc05311a89c";

std::vector<DigestRecord> Index214Records()
{
    return {
        {FromHex(kLpkKey), FromHex("1efb14775b5feee55dc744ebfcca1cfd")},
        {FromHex(kExplorerKey), FromHex("9eb867933136ad37eaf7f2ecb97e3a4d")},
        {FromHex(kNetbiosKey), FromHex("5d81cf9a2f1a3a756b66cf684911cdf0")},
    };
}

TEST(NormalizeSystemPath, Cases)
{
    const struct {
        const char16_t* path;
        const char16_t* windowsFolder;
        const char16_t* expected;
        size_t replacements;
    } cases[] = {
        {u"C:\\WINDOWS\\system32\\lpk.dll", kWindows, u"\\systemroot\\system32\\lpk.dll", 1},
        {u"C:\\WINDOWS\\explorer.exe", kWindows, u"\\systemroot\\explorer.exe", 1},
        {u"D:\\WINNT\\System32\\Drivers\\NETBIOS.SYS", u"D:\\WINNT\\", u"\\systemroot\\system32\\drivers\\netbios.sys",
         1},
        // The folder is matched in its exact letter case.
        {u"c:\\windows\\system32\\lpk.dll", kWindows, u"c:\\windows\\system32\\lpk.dll", 0},
        {u"D:\\Program Files\\QQ\\LPK.DLL", kWindows, u"d:\\program files\\qq\\lpk.dll", 0},
        {u"C:\\WINDOWS\\system32\\LPK.DLL", u"", u"c:\\windows\\system32\\lpk.dll", 0},
        {u"C:\\WINDOWS\\x\\C:\\WINDOWS\\y", kWindows, u"\\systemroot\\x\\\\systemroot\\y", 2},
        // Occurrences do not overlap: the second "\X\" shares its first
        // backslash with the first one.
        {u"\\X\\X\\Y", u"\\X\\", u"\\systemroot\\x\\y", 1},
        // The search resumes after the replacement, so a folder text that the
        // replacement contains again is replaced once.
        {u"\\systemroot\\a", u"\\systemroot\\", u"\\systemroot\\a", 1},
        // Only A to Z are lower-cased.
        {u"C:\\WINDOWS\\\u00C4\u0391B.DLL", kWindows, u"\\systemroot\\\u00C4\u0391b.dll", 1},
    };
    for (const auto& c : cases) {
        std::u16string path = c.path;
        EXPECT_EQ(NormalizeSystemPath(path, c.windowsFolder), c.replacements);
        EXPECT_EQ(path, c.expected);
    }
}

TEST(MakePathKey, KeysDoNotDependOnWhereWindowsIsInstalled)
{
    const struct {
        const char16_t* path;
        const char16_t* windowsFolder;
        const char* key;
    } cases[] = {
        {u"C:\\WINDOWS\\system32\\lpk.dll", kWindows, kLpkKey},
        {u"E:\\WinXP\\SYSTEM32\\lpk.dll", u"E:\\WinXP\\", kLpkKey},
        {u"C:\\WINDOWS\\explorer.exe", kWindows, kExplorerKey},
        {u"C:\\WINDOWS\\system32\\drivers\\netbios.sys", kWindows, kNetbiosKey},
        {u"C:\\WINDOWS\\system32\\msvcr71.dll", kWindows, kMsvcr71Key},
    };
    for (const auto& c : cases) EXPECT_EQ(MakePathKey(c.path, c.windowsFolder), FromHex(c.key));

    // Spelled in another case than the Windows folder, the path keeps its
    // drive letter and so misses the index key.
    EXPECT_NE(MakePathKey(u"c:\\windows\\system32\\lpk.dll", kWindows), FromHex(kLpkKey));
}

TEST(LookupDigest, FindsTheQuotedRecordsOfBothXpSp3Indexes)
{
    const std::vector<uint8_t> index214 = BuildDigestIndex(Index214Records());
    ASSERT_EQ(DigestRecordCount(index214), 3u);
    const struct {
        const char16_t* path;
        const char16_t* content;
    } expected214[] = {
        {u"C:\\WINDOWS\\system32\\lpk.dll", u"1efb14775b5feee55dc744ebfcca1cfd"},
        {u"C:\\WINDOWS\\explorer.exe", u"9eb867933136ad37eaf7f2ecb97e3a4d"},
        {u"C:\\WINDOWS\\system32\\drivers\\netbios.sys", u"5d81cf9a2f1a3a756b66cf684911cdf0"},
    };
    for (const auto& e : expected214) {
        const DigestLookupResult result = LookupDigest(index214, MakePathKey(e.path, kWindows));
        ASSERT_EQ(result.outcome, DigestLookup::Found);
        EXPECT_EQ(Hex(result.record.ContentDigest), e.content);
    }

    const std::vector<uint8_t> index221 =
        BuildDigestIndex({{FromHex(kLpkKey), FromHex("012df358cebaa23acb26d82077820817")}});
    const DigestLookupResult lpk221 = LookupDigest(index221, MakePathKey(u"C:\\WINDOWS\\system32\\lpk.dll", kWindows));
    ASSERT_EQ(lpk221.outcome, DigestLookup::Found);
    EXPECT_EQ(Hex(lpk221.record.ContentDigest), u"012df358cebaa23acb26d82077820817");
}

TEST(LookupDigest, TellsAbsentFromPastTheEnd)
{
    const std::vector<uint8_t> index = BuildDigestIndex(Index214Records());  // keys 4a62.., 6435.., 8a82..
    const struct {
        const char* key;
        DigestLookup outcome;
    } cases[] = {
        {"00000000000000000000000000000000", DigestLookup::Absent},  // below the first record
        {"4a620940b2ab8fb3c26e0ecad2abd429", DigestLookup::Absent},  // one below the first record
        {"4a620940b2ab8fb3c26e0ecad2abd42b", DigestLookup::Absent},  // between records
        {"8a82d323106118d62dcac36e13d7ee8c", DigestLookup::Absent},  // just below the last record
        {"8a82d323106118d62dcac36e13d7ee8e", DigestLookup::PastTheEnd},
        {kMsvcr71Key, DigestLookup::PastTheEnd},
        {"ffffffffffffffffffffffffffffffff", DigestLookup::PastTheEnd},
    };
    for (const auto& c : cases) EXPECT_EQ(LookupDigest(index, FromHex(c.key)).outcome, c.outcome) << c.key;

    EXPECT_EQ(LookupDigest({}, FromHex(kLpkKey)).outcome, DigestLookup::PastTheEnd);
}

// A trailing partial record is not part of the index, even when it holds a
// whole key; exact-size buffers let the address sanitizer catch any read past it.
TEST(LookupDigest, IgnoresTrailingPartialRecord)
{
    const std::vector<uint8_t> full = BuildDigestIndex(Index214Records());
    for (const size_t size : {size_t{31}, size_t{33}, size_t{63}, size_t{95}}) {
        const std::vector<uint8_t> index(full.begin(), full.begin() + static_cast<ptrdiff_t>(size));
        const size_t whole = size / 32;
        const DigestLookupResult first = LookupDigest(index, FromHex(kNetbiosKey));
        EXPECT_EQ(first.outcome, whole >= 1 ? DigestLookup::Found : DigestLookup::PastTheEnd) << size;
        const DigestLookupResult last = LookupDigest(index, FromHex(kExplorerKey));
        EXPECT_EQ(last.outcome, whole >= 3 ? DigestLookup::Found : DigestLookup::PastTheEnd) << size;
    }
}

// The binary search against a linear scan, over index sizes where an
// off-by-one in the halving would show, up to the largest real index.
TEST(LookupDigest, AgreesWithLinearScan)
{
    const auto keyOf = [](uint32_t i) { return Md5(&i, sizeof i); };
    for (const uint32_t n : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 31u, 32u, 33u, 3043u}) {
        std::vector<DigestRecord> records;
        for (uint32_t i = 0; i < n; ++i) records.push_back({keyOf(2 * i), keyOf(~i)});
        const std::vector<uint8_t> index = BuildDigestIndex(records);
        for (const DigestRecord& record : records) {
            const DigestLookupResult result = LookupDigest(index, record.KeyDigest);
            ASSERT_EQ(result.outcome, DigestLookup::Found);
            ASSERT_EQ(result.record.ContentDigest, record.ContentDigest);
        }
        for (uint32_t i = 0; i < 200; ++i) {
            const Md5Digest probe = keyOf(2 * i + 1);
            bool anyGreater = false;
            for (const DigestRecord& record : records) anyGreater = anyGreater || probe < record.KeyDigest;
            ASSERT_EQ(LookupDigest(index, probe).outcome, anyGreater ? DigestLookup::Absent : DigestLookup::PastTheEnd)
                << "n=" << n << " probe " << i;
        }
    }
}

TEST(BuildDigestIndex, SortsByKeyBytesAndKeepsTheFirstOfARepeatedKey)
{
    std::vector<DigestRecord> records = Index214Records();
    records.push_back({FromHex(kLpkKey), FromHex("ffffffffffffffffffffffffffffffff")});
    const std::vector<uint8_t> index = BuildDigestIndex(records);
    ASSERT_EQ(index.size(), 3u * 32);
    const char* const order[] = {kNetbiosKey, kLpkKey, kExplorerKey};
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(std::memcmp(index.data() + 32 * i, FromHex(order[i]).data(), 16), 0);
    EXPECT_EQ(Hex(LookupDigest(index, FromHex(kLpkKey)).record.ContentDigest), u"1efb14775b5feee55dc744ebfcca1cfd");
}

}  // namespace
