#include "modules/sysfile/md5.h"

#include <bit>
#include <cstring>

namespace {

// Message words are little-endian whatever the host; memcpy keeps the load
// free of alignment and aliasing assumptions and compiles to a plain move.
inline uint32_t Load32(const uint8_t* p)
{
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        value = (value >> 24) | ((value >> 8) & 0xff00u) | ((value << 8) & 0xff0000u) | (value << 24);
    }
    return value;
}

inline void Store32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The round functions are written so that the part not involving b, the
// value produced by the previous step, can start early.
template <int S>
inline void StepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t wordPlusConstant)
{
    a = b + std::rotl(a + wordPlusConstant + (d ^ (b & (c ^ d))), S);
}

// (b & d) | (c & ~d): the two terms share no bits, so they can be added apart.
template <int S>
inline void StepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t wordPlusConstant)
{
    a = b + std::rotl(a + wordPlusConstant + (c & ~d) + (b & d), S);
}

template <int S>
inline void StepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t wordPlusConstant)
{
    a = b + std::rotl(a + wordPlusConstant + (b ^ (c ^ d)), S);
}

template <int S>
inline void StepI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t wordPlusConstant)
{
    a = b + std::rotl(a + wordPlusConstant + (c ^ (b | ~d)), S);
}

void ProcessBlocks(uint32_t state[4], const uint8_t* p, size_t blocks)
{
    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];
    for (; blocks != 0; --blocks, p += 64) {
        const uint32_t a0 = a;
        const uint32_t b0 = b;
        const uint32_t c0 = c;
        const uint32_t d0 = d;
        // Round 1.
        StepF<7>(a, b, c, d, Load32(p + 0) + 0xd76aa478u);
        StepF<12>(d, a, b, c, Load32(p + 4) + 0xe8c7b756u);
        StepF<17>(c, d, a, b, Load32(p + 8) + 0x242070dbu);
        StepF<22>(b, c, d, a, Load32(p + 12) + 0xc1bdceeeu);
        StepF<7>(a, b, c, d, Load32(p + 16) + 0xf57c0fafu);
        StepF<12>(d, a, b, c, Load32(p + 20) + 0x4787c62au);
        StepF<17>(c, d, a, b, Load32(p + 24) + 0xa8304613u);
        StepF<22>(b, c, d, a, Load32(p + 28) + 0xfd469501u);
        StepF<7>(a, b, c, d, Load32(p + 32) + 0x698098d8u);
        StepF<12>(d, a, b, c, Load32(p + 36) + 0x8b44f7afu);
        StepF<17>(c, d, a, b, Load32(p + 40) + 0xffff5bb1u);
        StepF<22>(b, c, d, a, Load32(p + 44) + 0x895cd7beu);
        StepF<7>(a, b, c, d, Load32(p + 48) + 0x6b901122u);
        StepF<12>(d, a, b, c, Load32(p + 52) + 0xfd987193u);
        StepF<17>(c, d, a, b, Load32(p + 56) + 0xa679438eu);
        StepF<22>(b, c, d, a, Load32(p + 60) + 0x49b40821u);
        // Round 2.
        StepG<5>(a, b, c, d, Load32(p + 4) + 0xf61e2562u);
        StepG<9>(d, a, b, c, Load32(p + 24) + 0xc040b340u);
        StepG<14>(c, d, a, b, Load32(p + 44) + 0x265e5a51u);
        StepG<20>(b, c, d, a, Load32(p + 0) + 0xe9b6c7aau);
        StepG<5>(a, b, c, d, Load32(p + 20) + 0xd62f105du);
        StepG<9>(d, a, b, c, Load32(p + 40) + 0x02441453u);
        StepG<14>(c, d, a, b, Load32(p + 60) + 0xd8a1e681u);
        StepG<20>(b, c, d, a, Load32(p + 16) + 0xe7d3fbc8u);
        StepG<5>(a, b, c, d, Load32(p + 36) + 0x21e1cde6u);
        StepG<9>(d, a, b, c, Load32(p + 56) + 0xc33707d6u);
        StepG<14>(c, d, a, b, Load32(p + 12) + 0xf4d50d87u);
        StepG<20>(b, c, d, a, Load32(p + 32) + 0x455a14edu);
        StepG<5>(a, b, c, d, Load32(p + 52) + 0xa9e3e905u);
        StepG<9>(d, a, b, c, Load32(p + 8) + 0xfcefa3f8u);
        StepG<14>(c, d, a, b, Load32(p + 28) + 0x676f02d9u);
        StepG<20>(b, c, d, a, Load32(p + 48) + 0x8d2a4c8au);
        // Round 3.
        StepH<4>(a, b, c, d, Load32(p + 20) + 0xfffa3942u);
        StepH<11>(d, a, b, c, Load32(p + 32) + 0x8771f681u);
        StepH<16>(c, d, a, b, Load32(p + 44) + 0x6d9d6122u);
        StepH<23>(b, c, d, a, Load32(p + 56) + 0xfde5380cu);
        StepH<4>(a, b, c, d, Load32(p + 4) + 0xa4beea44u);
        StepH<11>(d, a, b, c, Load32(p + 16) + 0x4bdecfa9u);
        StepH<16>(c, d, a, b, Load32(p + 28) + 0xf6bb4b60u);
        StepH<23>(b, c, d, a, Load32(p + 40) + 0xbebfbc70u);
        StepH<4>(a, b, c, d, Load32(p + 52) + 0x289b7ec6u);
        StepH<11>(d, a, b, c, Load32(p + 0) + 0xeaa127fau);
        StepH<16>(c, d, a, b, Load32(p + 12) + 0xd4ef3085u);
        StepH<23>(b, c, d, a, Load32(p + 24) + 0x04881d05u);
        StepH<4>(a, b, c, d, Load32(p + 36) + 0xd9d4d039u);
        StepH<11>(d, a, b, c, Load32(p + 48) + 0xe6db99e5u);
        StepH<16>(c, d, a, b, Load32(p + 60) + 0x1fa27cf8u);
        StepH<23>(b, c, d, a, Load32(p + 8) + 0xc4ac5665u);
        // Round 4.
        StepI<6>(a, b, c, d, Load32(p + 0) + 0xf4292244u);
        StepI<10>(d, a, b, c, Load32(p + 28) + 0x432aff97u);
        StepI<15>(c, d, a, b, Load32(p + 56) + 0xab9423a7u);
        StepI<21>(b, c, d, a, Load32(p + 20) + 0xfc93a039u);
        StepI<6>(a, b, c, d, Load32(p + 48) + 0x655b59c3u);
        StepI<10>(d, a, b, c, Load32(p + 12) + 0x8f0ccc92u);
        StepI<15>(c, d, a, b, Load32(p + 40) + 0xffeff47du);
        StepI<21>(b, c, d, a, Load32(p + 4) + 0x85845dd1u);
        StepI<6>(a, b, c, d, Load32(p + 32) + 0x6fa87e4fu);
        StepI<10>(d, a, b, c, Load32(p + 60) + 0xfe2ce6e0u);
        StepI<15>(c, d, a, b, Load32(p + 24) + 0xa3014314u);
        StepI<21>(b, c, d, a, Load32(p + 52) + 0x4e0811a1u);
        StepI<6>(a, b, c, d, Load32(p + 16) + 0xf7537e82u);
        StepI<10>(d, a, b, c, Load32(p + 44) + 0xbd3af235u);
        StepI<15>(c, d, a, b, Load32(p + 8) + 0x2ad7d2bbu);
        StepI<21>(b, c, d, a, Load32(p + 36) + 0xeb86d391u);
        a += a0;
        b += b0;
        c += c0;
        d += d0;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

}  // namespace

void Md5Context::Init()
{
    m_aState[0] = 0x67452301u;
    m_aState[1] = 0xefcdab89u;
    m_aState[2] = 0x98badcfeu;
    m_aState[3] = 0x10325476u;
    m_nTotalBytes = 0;
    m_nBlockBytes = 0;
}

void Md5Context::Update(const void* bytes, size_t length)
{
    if (length == 0) return;
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    m_nTotalBytes += length;
    if (m_nBlockBytes != 0) {
        const size_t take = length < 64 - m_nBlockBytes ? length : 64 - m_nBlockBytes;
        std::memcpy(m_aBlock + m_nBlockBytes, p, take);
        m_nBlockBytes += take;
        p += take;
        length -= take;
        if (m_nBlockBytes < 64) return;
        ProcessBlocks(m_aState, m_aBlock, 1);
        m_nBlockBytes = 0;
    }
    // Whole blocks are hashed straight from the caller's memory.
    const size_t blocks = length / 64;
    if (blocks != 0) {
        ProcessBlocks(m_aState, p, blocks);
        p += blocks * 64;
        length -= blocks * 64;
    }
    if (length != 0) {
        std::memcpy(m_aBlock, p, length);
        m_nBlockBytes = length;
    }
}

Md5Digest Md5Context::Final()
{
    const uint64_t bitLength = m_nTotalBytes * 8;
    // Padding: 0x80, zeros up to 56 bytes into a block, then the length.
    uint8_t tail[64] = {0x80};
    const size_t padBytes = m_nBlockBytes < 56 ? 56 - m_nBlockBytes : 120 - m_nBlockBytes;
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bitLength >> (8 * i));
    Update(tail, padBytes);
    Update(lengthBytes, sizeof lengthBytes);

    Md5Digest digest;
    for (int i = 0; i < 4; ++i) Store32(digest.data() + 4 * i, m_aState[i]);
    Init();
    return digest;
}

Md5Digest Md5(const void* bytes, size_t length)
{
    Md5Context context;
    context.Update(bytes, length);
    return context.Final();
}

void DigestToHex(const Md5Digest& digest, std::u16string& text)
{
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (const uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0f];
    }
}
