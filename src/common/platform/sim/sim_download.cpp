// Downloads from the machine's map of URLs. The body arrives in two steps with
// a progress report before each, so a cancel check can end a download midway;
// an ended or failed download leaves no file behind.
#include "common/platform/sim/sim_system_file_state.h"

namespace plat::sim {

void SimMachine::ServeUrl(const std::u16string& url, const std::string& body)
{
    ServeUrl(url, HttpHandler([body]() -> std::optional<std::string> { return body; }));
}

void SimMachine::ServeUrl(const std::u16string& url, HttpHandler handler)
{
    std::lock_guard lock(m_lock);
    m_pSysFiles->urls[url] = std::move(handler);
}

std::vector<std::u16string> SimMachine::DownloadRequests() const
{
    std::lock_guard lock(m_lock);
    return m_pSysFiles->downloadRequests;
}

HRESULT SimMachine::URLDownloadToFileW(const char16_t* url, const char16_t* fileName, DownloadCancelCheck cancel)
{
    if (url == nullptr || fileName == nullptr) return E_INVALIDARG;
    HttpHandler handler;
    {
        std::lock_guard lock(m_lock);
        m_pSysFiles->downloadRequests.push_back(url);
        if (auto failure = Injected("URLDownloadToFileW")) return static_cast<HRESULT>(*failure);
        auto it = m_pSysFiles->urls.find(url);
        if (it == m_pSysFiles->urls.end()) return INET_E_DOWNLOAD_FAILURE;
        handler = it->second;
    }
    // The server and the cancel check run outside the machine's lock, as a
    // real transfer runs outside the caller's code.
    if (cancel != nullptr && cancel()) return E_ABORT;
    const std::optional<std::string> body = handler();
    if (!body) return INET_E_DOWNLOAD_FAILURE;
    if (cancel != nullptr && cancel()) return E_ABORT;

    std::lock_guard lock(m_lock);
    HANDLE file = CreateFileW(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return E_FAIL;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, body->data(), static_cast<DWORD>(body->size()), &written, nullptr);
    CloseHandle(file);
    if (!ok) {
        DeleteFileW(fileName);
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace plat::sim
