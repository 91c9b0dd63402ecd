#include "core/BrowserEventSink.h"

#include <exdispid.h>

namespace {

// An event argument as the browser passes it, possibly by reference.
const VARIANT* Deref(const VARIANT* value) {
    while (value && V_VT(value) == (VT_VARIANT | VT_BYREF)) value = V_VARIANTREF(value);
    return value;
}

// Argument i in the event's declared order (DISPPARAMS holds them reversed).
const VARIANT* Argument(const DISPPARAMS* params, UINT i) {
    if (!params || !params->rgvarg || i >= params->cArgs) return nullptr;
    return Deref(&params->rgvarg[params->cArgs - 1 - i]);
}

IDispatch* FrameArgument(const DISPPARAMS* params) {
    const VARIANT* value = Argument(params, 0);
    return value && V_VT(value) == VT_DISPATCH ? V_DISPATCH(value) : nullptr;
}

const wchar_t* UrlArgument(const DISPPARAMS* params) {
    const VARIANT* value = Argument(params, 1);
    if (!value) return L"";
    if (V_VT(value) == VT_BSTR && V_BSTR(value)) return V_BSTR(value);
    if (V_VT(value) == (VT_BSTR | VT_BYREF) && V_BSTRREF(value) && *V_BSTRREF(value)) {
        return *V_BSTRREF(value);
    }
    return L"";
}

}  // namespace

void BrowserEventSink::Connect(ToolbarHost* host) {
    if (!host || cookie_) return;
    DWORD cookie = 0;
    if (SUCCEEDED(host->ConnectBrowserEvents(this, &cookie))) cookie_ = cookie;
}

void BrowserEventSink::Disconnect(ToolbarHost* host) {
    if (!cookie_) return;
    if (host) host->DisconnectBrowserEvents(cookie_);
    cookie_ = 0;
}

STDMETHODIMP BrowserEventSink::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) BrowserEventSink::AddRef() {
    return 1;
}

STDMETHODIMP_(ULONG) BrowserEventSink::Release() {
    return 1;
}

STDMETHODIMP BrowserEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                      EXCEPINFO*, UINT*) {
    try {
        switch (id) {
            case DISPID_BEFORENAVIGATE2:
                handler_->OnBeforeNavigate2(FrameArgument(params), UrlArgument(params));
                break;
            case DISPID_NAVIGATECOMPLETE2:
                handler_->OnNavigateComplete2(FrameArgument(params), UrlArgument(params));
                break;
            case DISPID_DOCUMENTCOMPLETE:
                handler_->OnDocumentComplete(FrameArgument(params), UrlArgument(params));
                break;
            case DISPID_DOWNLOADCOMPLETE:
                handler_->OnDownloadComplete();
                break;
            case DISPID_ONQUIT:
                handler_->OnBrowserQuit();
                break;
            default:
                break;
        }
    } catch (...) {
        return E_FAIL;
    }
    return S_OK;
}
