#include "history/UrlHistoryRecorder.h"

#include <urlhist.h>

namespace {

const CLSID kClsidUrlHistory = {
    0x3c374a40, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};
const IID kIidUrlHistoryStg = {
    0x3c374a41, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};

std::vector<RecordedUrl> g_recorded;
int g_created = 0;

class RecordingHistory : public IUrlHistoryStg {
public:
    virtual ~RecordingHistory() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidUrlHistoryStg)) {
            *out = static_cast<IUrlHistoryStg*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR url, LPCOLESTR title, DWORD flags) override {
        g_recorded.push_back({url ? url : L"(null)", title ? title : L"(null)", flags});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR url, DWORD, LPSTATURL) override {
        for (const RecordedUrl& entry : g_recorded) {
            if (url && entry.url == url) return S_OK;
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

private:
    LONG refs_ = 1;
};

class HistoryFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the recorder's registration.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        RecordingHistory* history = new RecordingHistory();
        HRESULT hr = history->QueryInterface(riid, out);
        history->Release();
        if (SUCCEEDED(hr)) ++g_created;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

HistoryFactory g_factory;

}  // namespace

UrlHistoryRecorder::UrlHistoryRecorder() {
    DWORD cookie = 0;
    if (SUCCEEDED(CoRegisterClassObject(kClsidUrlHistory, &g_factory, CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &cookie))) {
        cookie_ = cookie;
    }
}

UrlHistoryRecorder::~UrlHistoryRecorder() {
    if (cookie_) CoRevokeClassObject(cookie_);
}

std::vector<RecordedUrl> UrlHistoryRecorder::Recorded() {
    return g_recorded;
}

std::vector<std::wstring> UrlHistoryRecorder::RecordedUrls() {
    std::vector<std::wstring> urls;
    for (const RecordedUrl& entry : g_recorded) urls.push_back(entry.url);
    return urls;
}

void UrlHistoryRecorder::Clear() {
    g_recorded.clear();
    g_created = 0;
}

int UrlHistoryRecorder::Created() {
    return g_created;
}
