#include "web/DownloadCallback.h"

#include <cstring>

STDMETHODIMP DownloadCallback::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
        *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
        *object = static_cast<IHttpNegotiate*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

STDMETHODIMP DownloadCallback::OnStartBinding(DWORD, IBinding* binding) {
    ReleaseBinding();
    binding_ = binding;
    if (binding_) binding_->AddRef();
    return S_OK;
}

STDMETHODIMP DownloadCallback::OnStopBinding(HRESULT, LPCWSTR) {
    ReleaseBinding();
    return S_OK;
}

void DownloadCallback::ReleaseBinding() {
    if (binding_) binding_->Release();
    binding_ = nullptr;
}

bool DownloadCallback::MustStop(ULONG progress, ULONG progressMax, ULONG statusCode) {
    if (guard_.Cancelled()) return cancelled_ = true;
    if (guard_.Expired()) return timedOut_ = true;
    // Some monikers report a redirect only as one more request sent.
    if (statusCode == BINDSTATUS_REDIRECTING) ++redirects_;
    if (statusCode == BINDSTATUS_SENDINGREQUEST) ++requestsSent_;
    if (redirects_ > kMaxRedirects || requestsSent_ > kMaxRedirects + 1)
        return redirectLoop_ = true;
    bool counting = statusCode == BINDSTATUS_BEGINDOWNLOADDATA ||
                    statusCode == BINDSTATUS_DOWNLOADINGDATA ||
                    statusCode == BINDSTATUS_ENDDOWNLOADDATA;
    if (counting && (progress > guard_.maxBytes || progressMax > guard_.maxBytes))
        return tooLarge_ = true;
    return false;
}

STDMETHODIMP DownloadCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                          LPCWSTR) {
    if (!MustStop(progress, progressMax, statusCode)) return S_OK;
    // Not every moniker stops on E_ABORT alone; aborting the binding does.
    if (binding_) binding_->Abort();
    return E_ABORT;
}

STDMETHODIMP DownloadCallback::GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) {
    if (!bindFlags || !bindInfo) return E_INVALIDARG;
    *bindFlags = bindFlags_;
    ULONG size = bindInfo->cbSize;
    if (size == 0 || size > sizeof(BINDINFO)) size = sizeof(BINDINFO);
    std::memset(bindInfo, 0, size);
    bindInfo->cbSize = size;
    bindInfo->dwBindVerb = bindVerb_;
    return S_OK;
}

STDMETHODIMP DownloadCallback::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                    LPWSTR* additionalHeaders) {
    if (additionalHeaders) *additionalHeaders = nullptr;
    return S_OK;
}

STDMETHODIMP DownloadCallback::OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR,
                                          LPWSTR* additionalHeaders) {
    responseCode_ = responseCode;
    if (additionalHeaders) *additionalHeaders = nullptr;
    return S_OK;
}
