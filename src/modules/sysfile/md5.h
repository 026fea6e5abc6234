// MD5 (RFC 1321). System files are named by the MD5 of their content, and the
// digest index is keyed by the MD5 of a normalised path.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Md5Digest = std::array<uint8_t, 16>;

// Incremental form, for content that arrives in pieces.
class Md5Context {
public:
    Md5Context() { Init(); }
    void Init();
    void Update(const void* bytes, size_t length);
    // Ends the message and starts a new one, so the context can be reused.
    Md5Digest Final();

private:
    uint32_t m_aState[4];
    uint64_t m_nTotalBytes;
    uint8_t m_aBlock[64];
    size_t m_nBlockBytes;
};

Md5Digest Md5(const void* bytes, size_t length);

// Appends the digest as 32 lower-case hexadecimal digits.
void DigestToHex(const Md5Digest& digest, std::u16string& text);
