#include "modules/sysfile/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::u16string Hex(const Md5Digest& digest)
{
    std::u16string text;
    DigestToHex(digest, text);
    return text;
}

std::u16string HexOf(const std::string& message) { return Hex(Md5(message.data(), message.size())); }

// Deterministic bytes that are not periodic within a block; the digests below
// were computed independently for this generator.
std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((static_cast<uint32_t>(i) * 2654435761u) >> 24);
    return bytes;
}

TEST(Md5, Rfc1321TestSuite)
{
    const struct {
        const char* message;
        const char16_t* hex;
    } cases[] = {
        {"", u"d41d8cd98f00b204e9800998ecf8427e"},
        {"a", u"0cc175b9c0f1b6a831c399e269772661"},
        {"abc", u"900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", u"f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", u"c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", u"d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         u"57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) EXPECT_EQ(HexOf(c.message), c.hex) << '"' << c.message << '"';
    EXPECT_EQ(HexOf(std::string(1000000, 'a')), u"7707d6ae4e027c70eea2a935c2296f21");
}

// Lengths around the 56-byte point where the length field no longer fits
// into the last block.
TEST(Md5, PaddingBoundaries)
{
    const std::vector<uint8_t> bytes = Pattern(128);
    const struct {
        size_t length;
        const char16_t* hex;
    } cases[] = {
        {55, u"1eec39e439a0686e0f16143c93e65544"},  {56, u"99d69c39ec90af2fb1496b6e9c6c764d"},
        {57, u"e2268186be6f4e7349b13e79170bfa06"},  {63, u"6bb048b09bcadbcdfd181977323cdfd0"},
        {64, u"e2ea14ec96ad97249814fe4e07e09782"},  {65, u"6eefe2eaf8f76d19fb53cbf452e5a331"},
        {119, u"34ec2dd3b6fce7edb56cd76666f819bf"}, {120, u"06365e9cd131eec736e29727ab0608dd"},
        {128, u"13d609089cc8e2e7bdf3168efee8ef0a"},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(Md5(bytes.data(), c.length)), c.hex) << c.length;
}

TEST(Md5, IncrementalMatchesOneShotOnMultiMegabyteOddLength)
{
    const std::vector<uint8_t> bytes = Pattern(3 * 1024 * 1024 + 7);
    const std::u16string expected = u"25b853deb8e83dd6350aae9b926a4c90";
    EXPECT_EQ(Hex(Md5(bytes.data(), bytes.size())), expected);

    // Piece sizes that leave the block buffer partly filled in every way,
    // including empty pieces and pieces far larger than a block.
    const std::vector<size_t> pieceSizes[] = {{1}, {63}, {64}, {65}, {0, 7, 1, 129, 4096, 3}, {1000003}};
    Md5Context context;
    for (const auto& sizes : pieceSizes) {
        size_t offset = 0;
        for (size_t i = 0; offset < bytes.size(); ++i) {
            const size_t piece = std::min(sizes[i % sizes.size()], bytes.size() - offset);
            context.Update(bytes.data() + offset, piece);
            offset += piece;
        }
        // Final starts the next message, so the same context serves every pattern.
        EXPECT_EQ(Hex(context.Final()), expected) << "first piece size " << sizes.front();
    }
    context.Update("abc", 3);
    EXPECT_EQ(Hex(context.Final()), u"900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
