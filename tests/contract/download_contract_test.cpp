// URL downloads from a local HTTP server (under Wine: started by
// tests/contract/with_http_server.sh, which names it in VEXLO_CONTRACT_HTTP
// and its document folder in VEXLO_CONTRACT_HTTP_ROOT; natively the machine's
// URL map plays the server).
#include <cstdlib>
#include <string>

#include "common/platform/handles.h"
#include "contract/contract_fixture.h"

#ifndef _WIN32
#include "common/platform/sim/sim_machine.h"
#endif

namespace {

bool AlwaysCancel() { return true; }

int g_progressCalls = 0;
bool CountProgress()
{
    ++g_progressCalls;
    return false;
}

#ifdef _WIN32
std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }
#endif

}  // namespace

class DownloadContract : public ContractTest {
protected:
    void SetUp() override
    {
        ContractTest::SetUp();
#ifdef _WIN32
        const char* host = std::getenv("VEXLO_CONTRACT_HTTP");
        const char* root = std::getenv("VEXLO_CONTRACT_HTTP_ROOT");
        if (host == nullptr || root == nullptr) GTEST_SKIP() << "no local HTTP server (run through with_http_server.sh)";
        m_host = Widen(host);
        m_root = Widen(root);
#else
        m_host = u"127.0.0.1:8080";
#endif
    }

    // Puts a file on the server and returns its address.
    std::u16string Serve(const std::u16string& name, const std::string& body)
    {
#ifdef _WIN32
        WriteAll(m_root + u"\\" + name, body);
#else
        dynamic_cast<plat::sim::SimMachine&>(plat::P()).ServeUrl(Address(name), body);
#endif
        return Address(name);
    }
    std::u16string Address(const std::u16string& name) const { return u"http://" + m_host + u"/" + name; }

    std::u16string m_host;
    std::u16string m_root;
};

TEST_F(DownloadContract, ServedFileArrivesByteForByte)
{
    std::string body(100000, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + 3);
    const std::u16string url = Serve(u"0123456789abcdef0123456789abcdef", body);
    const std::u16string local = Scratch(u"0123456789abcdef0123456789abcdef");
    g_progressCalls = 0;
    EXPECT_EQ(Plat().URLDownloadToFileW(url.c_str(), local.c_str(), &CountProgress), S_OK);
    EXPECT_EQ(ReadAll(local), body);
    EXPECT_GT(g_progressCalls, 0);
}

TEST_F(DownloadContract, FailedDownloadLeavesNothing)
{
    const std::u16string local = Scratch(u"missing");
    const HRESULT result = Plat().URLDownloadToFileW(Address(u"no-such-file").c_str(), local.c_str(), nullptr);
#ifdef _WIN32
    // Wine stores the server's error page and reports success; callers must
    // judge a download by its content, never by this result.
    if (result >= 0) return;
#endif
    EXPECT_LT(result, 0);
    EXPECT_EQ(Plat().GetFileAttributesW(local.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DownloadContract, CancelledDownloadFailsAndLeavesNothing)
{
    const std::u16string url = Serve(u"cancelled.bin", std::string(300000, 'x'));
    const std::u16string local = Scratch(u"cancelled.bin");
    EXPECT_LT(Plat().URLDownloadToFileW(url.c_str(), local.c_str(), &AlwaysCancel), 0);
    EXPECT_EQ(Plat().GetFileAttributesW(local.c_str()), INVALID_FILE_ATTRIBUTES);
}
