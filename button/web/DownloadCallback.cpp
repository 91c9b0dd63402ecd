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

STDMETHODIMP DownloadCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                          LPCWSTR) {
    if (guard_.Cancelled()) {
        cancelled_ = true;
        return E_ABORT;
    }
    bool counting = statusCode == BINDSTATUS_BEGINDOWNLOADDATA ||
                    statusCode == BINDSTATUS_DOWNLOADINGDATA ||
                    statusCode == BINDSTATUS_ENDDOWNLOADDATA;
    if (counting && (progress > guard_.maxBytes || progressMax > guard_.maxBytes)) {
        tooLarge_ = true;
        return E_ABORT;
    }
    return S_OK;
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

STDMETHODIMP DownloadCallback::OnResponse(DWORD, LPCWSTR, LPCWSTR, LPWSTR* additionalHeaders) {
    if (additionalHeaders) *additionalHeaders = nullptr;
    return S_OK;
}
