#pragma once
#include <windows.h>
#include <urlmon.h>

#include "web/DownloadGuard.h"

// The status callback given to URLDownloadToFileW: asks for a fresh copy that
// bypasses the cache, and aborts the transfer from its progress notification
// when the guard's size or time limit is passed, its cancel flag is raised or
// the redirects do not end; keeps the HTTP status, since an error page is no feed. A stack
// object: AddRef and Release do not count.
class DownloadCallback : public IBindStatusCallback, public IHttpNegotiate {
public:
    explicit DownloadCallback(const DownloadGuard& guard) : guard_(guard) {}
    virtual ~DownloadCallback() { ReleaseBinding(); }
    DownloadCallback(const DownloadCallback&) = delete;
    DownloadCallback& operator=(const DownloadCallback&) = delete;

    bool Aborted() const { return tooLarge_ || cancelled_ || redirectLoop_ || timedOut_; }
    bool TooLarge() const { return tooLarge_; }
    // The HTTP status of the last response, 0 when none was seen.
    DWORD ResponseCode() const { return responseCode_; }

    static constexpr int kMaxRedirects = 10;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    // IBindStatusCallback
    STDMETHODIMP OnStartBinding(DWORD, IBinding* binding) override;
    STDMETHODIMP GetPriority(LONG*) override { return S_OK; }
    STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
    STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                            LPCWSTR statusText) override;
    STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override;
    STDMETHODIMP GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) override;
    STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    // IHttpNegotiate
    STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) override;
    STDMETHODIMP OnResponse(DWORD, LPCWSTR, LPCWSTR, LPWSTR* additionalHeaders) override;

private:
    // Whether the transfer must stop now, noting why.
    bool MustStop(ULONG progress, ULONG progressMax, ULONG statusCode);
    void ReleaseBinding();

    DownloadGuard guard_;
    IBinding* binding_ = nullptr;
    DWORD bindFlags_ =
        BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PULLDATA | BINDF_PRAGMA_NO_CACHE;
    DWORD bindVerb_ = BINDVERB_GET;
    bool tooLarge_ = false;
    bool cancelled_ = false;
    bool redirectLoop_ = false;
    bool timedOut_ = false;
    int redirects_ = 0;
    int requestsSent_ = 0;
    DWORD responseCode_ = 0;
};
