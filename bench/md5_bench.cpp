// Our MD5 against OpenSSL's on the same buffers, and the index lookup on an
// index as large as the largest one the program carries.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "modules/sysfile/digest_index.h"
#include "modules/sysfile/md5.h"

namespace {

constexpr size_t kMiB = 1024 * 1024;

const std::vector<uint8_t>& Buffer()
{
    // Sized for the largest case; smaller cases hash its beginning.
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(64 * kMiB);
        uint32_t x = 0x12345678u;
        for (uint8_t& byte : b) {
            x = x * 1664525u + 1013904223u;
            byte = static_cast<uint8_t>(x >> 24);
        }
        return b;
    }();
    return bytes;
}

Md5Digest OpenSslMd5(const EVP_MD* md, const uint8_t* data, size_t size)
{
    Md5Digest digest{};
    unsigned int length = 0;
    EVP_Digest(data, size, digest.data(), &length, md, nullptr);
    return digest;
}

void BM_Md5_Ours(benchmark::State& state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    const uint8_t* data = Buffer().data();
    for (auto _ : state) {
        Md5Digest digest = Md5(data, size);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void BM_Md5_OpenSsl(benchmark::State& state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    const uint8_t* data = Buffer().data();
    // Fetched once, so the loop measures hashing, not the provider look-up.
    EVP_MD* md = EVP_MD_fetch(nullptr, "MD5", nullptr);
    if (md == nullptr) {
        state.SkipWithError("OpenSSL offers no MD5");
        return;
    }
    if (OpenSslMd5(md, data, size) != Md5(data, size)) {
        state.SkipWithError("digests differ");
        EVP_MD_free(md);
        return;
    }
    for (auto _ : state) {
        Md5Digest digest = OpenSslMd5(md, data, size);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
    EVP_MD_free(md);
}

// Registered in pairs so each size shows both implementations one above the other.
BENCHMARK(BM_Md5_Ours)->Arg(1 * kMiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Md5_OpenSsl)->Arg(1 * kMiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Md5_Ours)->Arg(64 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Md5_OpenSsl)->Arg(64 * kMiB)->Unit(benchmark::kMillisecond);

void BM_LookupDigest(benchmark::State& state)
{
    constexpr uint32_t kRecords = 3043;
    std::vector<DigestRecord> records;
    for (uint32_t i = 0; i < kRecords; ++i) {
        const uint32_t key = 2 * i;
        const uint32_t content = ~i;
        records.push_back({Md5(&key, sizeof key), Md5(&content, sizeof content)});
    }
    const std::vector<uint8_t> index = BuildDigestIndex(records);
    // Half the probes are in the index, half are not.
    std::vector<Md5Digest> probes;
    for (uint32_t i = 0; i < 1024; ++i) {
        const uint32_t key = i;
        probes.push_back(Md5(&key, sizeof key));
    }
    size_t next = 0;
    for (auto _ : state) {
        DigestLookupResult result = LookupDigest(index, probes[next]);
        benchmark::DoNotOptimize(result);
        next = (next + 1) % probes.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_LookupDigest);

}  // namespace
