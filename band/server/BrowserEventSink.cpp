#include "server/BrowserEventSink.h"

#include <exdispid.h>

BrowserEventSink::BrowserEventSink() : dispatch_(this) {}

BrowserEventSink::~BrowserEventSink() {
    DisconnectEvents();
}

HRESULT BrowserEventSink::ConnectEvents(IWebBrowser2* browser) {
    if (EventsConnected()) return S_OK;
    if (!browser) return E_POINTER;
    ComRef<IConnectionPointContainer> container;
    HRESULT hr = browser->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(container.Receive()));
    if (FAILED(hr)) return hr;
    ComRef<IConnectionPoint> point;
    hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive());
    if (FAILED(hr)) return hr;
    DWORD cookie = 0;
    hr = point->Advise(&dispatch_, &cookie);
    if (FAILED(hr)) return hr;
    point_ = point;
    cookie_ = cookie;
    return S_OK;
}

void BrowserEventSink::DisconnectEvents() {
    if (!EventsConnected()) return;
    point_->Unadvise(cookie_);
    point_.Reset();
    cookie_ = 0;
}

STDMETHODIMP BrowserEventSink::Dispatch::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP BrowserEventSink::Dispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP BrowserEventSink::Dispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP BrowserEventSink::Dispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP BrowserEventSink::Dispatch::Invoke(DISPID event, REFIID, LCID, WORD,
                                                DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                                UINT*) {
    if (result) VariantInit(result);
    try {
        owner_->OnBrowserEvent(event, params);
    } catch (...) {
    }
    return S_OK;
}
