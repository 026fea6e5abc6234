// URL download with a cancel check. The bind-status callback only answers
// OnProgress; everything else keeps urlmon's defaults.
#include "common/platform/win32/win32_platform.h"

#include <urlmon.h>

namespace plat {

namespace {

// Lives on the stack of one download call, so reference counting is a formality.
class CancellableBindStatus final : public IBindStatusCallback {
public:
    explicit CancellableBindStatus(DownloadCancelCheck cancel) : m_pfnCancel(cancel) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
            *object = static_cast<IBindStatusCallback*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override
    {
        return m_pfnCancel() ? E_ABORT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

private:
    DownloadCancelCheck m_pfnCancel;
};

}  // namespace

HRESULT Win32Platform::URLDownloadToFileW(const char16_t* url, const char16_t* fileName, DownloadCancelCheck cancel)
{
    // The download may run on a worker thread that has not initialised COM.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CancellableBindStatus status(cancel);
    const HRESULT result = ::URLDownloadToFileW(nullptr, reinterpret_cast<const wchar_t*>(url),
                                                reinterpret_cast<const wchar_t*>(fileName), 0,
                                                cancel != nullptr ? &status : nullptr);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return result;
}

}  // namespace plat
