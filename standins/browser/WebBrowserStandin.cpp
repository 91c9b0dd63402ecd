#include "browser/WebBrowserStandin.h"

#include <exdispid.h>
#include <olectl.h>

namespace {

BSTR CopyBstr(const std::wstring& text) {
    return SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
}

// A VARIANT argument as the browser passes it: possibly by reference.
const VARIANT* Deref(const VARIANT* value) {
    while (value && V_VT(value) == (VT_VARIANT | VT_BYREF)) value = V_VARIANTREF(value);
    return value;
}

std::wstring TextOf(const VARIANT* value) {
    value = Deref(value);
    if (!value) return L"";
    if (V_VT(value) == VT_BSTR && V_BSTR(value)) return V_BSTR(value);
    if (V_VT(value) == (VT_BSTR | VT_BYREF) && *V_BSTRREF(value)) return *V_BSTRREF(value);
    return L"";
}

LONG NumberOf(const VARIANT* value) {
    value = Deref(value);
    if (!value) return 0;
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(value), 0, VT_I4))) return 0;
    return V_I4(&number);
}

}  // namespace

WebBrowserStandin* WebBrowserStandin::Create() {
    return new WebBrowserStandin();
}

WebBrowserStandin::WebBrowserStandin() : eventPoint_(this) {}

WebBrowserStandin::~WebBrowserStandin() {
    for (auto& sink : sinks_) sink.second->Release();
    if (document_) document_->Release();
}

void WebBrowserStandin::SetLocation(const std::wstring& url, const std::wstring& title) {
    url_ = url;
    title_ = title;
}

void WebBrowserStandin::SetDocument(IDispatch* document) {
    if (document) document->AddRef();
    if (document_) document_->Release();
    document_ = document;
}

// ---- events -------------------------------------------------------------

void WebBrowserStandin::Fire(DISPID id, VARIANTARG* args, UINT count) {
    // A sink may disconnect while handling the event: call a counted copy.
    std::vector<IDispatch*> targets;
    for (auto& sink : sinks_) {
        sink.second->AddRef();
        targets.push_back(sink.second);
    }
    DISPPARAMS params = {args, nullptr, count, 0};
    for (IDispatch* target : targets) {
        target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                       nullptr, nullptr);
        target->Release();
    }
}

bool WebBrowserStandin::FireBeforeNavigate2(const std::wstring& url, IDispatch* frame, LONG flags,
                                            const std::wstring& targetFrame) {
    VARIANT urlValue, flagsValue, targetValue, postData, headers;
    V_VT(&urlValue) = VT_BSTR;
    V_BSTR(&urlValue) = CopyBstr(url);
    V_VT(&flagsValue) = VT_I4;
    V_I4(&flagsValue) = flags;
    V_VT(&targetValue) = VT_BSTR;
    V_BSTR(&targetValue) = CopyBstr(targetFrame);
    VariantInit(&postData);
    V_VT(&headers) = VT_BSTR;
    V_BSTR(&headers) = CopyBstr(L"");
    VARIANT_BOOL cancel = VARIANT_FALSE;

    // Arguments in reverse order: pDisp, URL, Flags, TargetFrameName,
    // PostData, Headers, Cancel.
    VARIANTARG args[7];
    V_VT(&args[6]) = VT_DISPATCH;
    V_DISPATCH(&args[6]) = frame ? frame : static_cast<IDispatch*>(this);
    VARIANT* byRef[5] = {&urlValue, &flagsValue, &targetValue, &postData, &headers};
    for (int i = 0; i < 5; ++i) {
        V_VT(&args[5 - i]) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&args[5 - i]) = byRef[i];
    }
    V_VT(&args[0]) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&args[0]) = &cancel;
    Fire(DISPID_BEFORENAVIGATE2, args, 7);
    for (VARIANT* value : byRef) VariantClear(value);
    return cancel != VARIANT_FALSE;
}

void WebBrowserStandin::FireNavigateComplete2(const std::wstring& url, IDispatch* frame) {
    if (!frame) url_ = url;
    VARIANT urlValue;
    V_VT(&urlValue) = VT_BSTR;
    V_BSTR(&urlValue) = CopyBstr(url);
    VARIANTARG args[2];
    V_VT(&args[1]) = VT_DISPATCH;
    V_DISPATCH(&args[1]) = frame ? frame : static_cast<IDispatch*>(this);
    V_VT(&args[0]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&args[0]) = &urlValue;
    Fire(DISPID_NAVIGATECOMPLETE2, args, 2);
    VariantClear(&urlValue);
}

void WebBrowserStandin::FireDocumentComplete(const std::wstring& url, IDispatch* frame) {
    VARIANT urlValue;
    V_VT(&urlValue) = VT_BSTR;
    V_BSTR(&urlValue) = CopyBstr(url);
    VARIANTARG args[2];
    V_VT(&args[1]) = VT_DISPATCH;
    V_DISPATCH(&args[1]) = frame ? frame : static_cast<IDispatch*>(this);
    V_VT(&args[0]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&args[0]) = &urlValue;
    Fire(DISPID_DOCUMENTCOMPLETE, args, 2);
    VariantClear(&urlValue);
}

void WebBrowserStandin::FireDownloadBegin() {
    Fire(DISPID_DOWNLOADBEGIN, nullptr, 0);
}

void WebBrowserStandin::FireDownloadComplete() {
    Fire(DISPID_DOWNLOADCOMPLETE, nullptr, 0);
}

void WebBrowserStandin::FireQuit() {
    Fire(DISPID_ONQUIT, nullptr, 0);
}

// ---- IUnknown, IDispatch --------------------------------------------------

STDMETHODIMP WebBrowserStandin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser ||
        riid == IID_IWebBrowserApp || riid == IID_IWebBrowser2) {
        *object = static_cast<IWebBrowser2*>(this);
    } else if (riid == IID_IConnectionPointContainer) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) WebBrowserStandin::AddRef() {
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) WebBrowserStandin::Release() {
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP WebBrowserStandin::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

// ---- what the plug-ins use ------------------------------------------------

void WebBrowserStandin::Record(const wchar_t* url, VARIANT* flags, VARIANT* targetFrame,
                               VARIANT* headers, bool viaNavigate2) {
    Navigation navigation;
    navigation.url = url ? url : L"";
    navigation.flags = NumberOf(flags);
    navigation.targetFrame = TextOf(targetFrame);
    navigation.headers = TextOf(headers);
    navigation.viaNavigate2 = viaNavigate2;
    navigations_.push_back(navigation);
}

STDMETHODIMP WebBrowserStandin::Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrame, VARIANT*,
                                         VARIANT* headers) {
    if (!url) return E_INVALIDARG;
    Record(url, flags, targetFrame, headers, false);
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                                          VARIANT*, VARIANT* headers) {
    std::wstring text = TextOf(url);
    if (text.empty()) return E_INVALIDARG;
    Record(text.c_str(), flags, targetFrame, headers, true);
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::get_Document(IDispatch** disp) {
    if (!disp) return E_POINTER;
    *disp = document_;
    if (!document_) return S_FALSE;
    document_->AddRef();
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::get_LocationName(BSTR* name) {
    if (!name) return E_POINTER;
    *name = CopyBstr(title_);
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::get_LocationURL(BSTR* url) {
    if (!url) return E_POINTER;
    *url = CopyBstr(url_);
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::get_Busy(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = busy_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::get_ReadyState(READYSTATE* state) {
    if (!state) return E_POINTER;
    *state = readyState_;
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::get_HWND(SHANDLE_PTR* window) {
    if (!window) return E_POINTER;
    *window = reinterpret_cast<SHANDLE_PTR>(window_);
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP WebBrowserStandin::get_Visible(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = visible_;
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::put_Visible(VARIANT_BOOL value) {
    visible_ = value;
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::get_Application(IDispatch** disp) {
    if (!disp) return E_POINTER;
    *disp = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::get_TopLevelContainer(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = VARIANT_TRUE;
    return S_OK;
}

// ---- connection point -----------------------------------------------------

STDMETHODIMP WebBrowserStandin::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (riid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
    *point = &eventPoint_;
    AddRef();
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::EventPoint::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::EventPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = DIID_DWebBrowserEvents2;
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::EventPoint::GetConnectionPointContainer(
    IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = owner_;
    owner_->AddRef();
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) ||
        !dispatch) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = owner_->nextCookie_++;
    owner_->sinks_.emplace_back(*cookie, dispatch);
    return S_OK;
}

STDMETHODIMP WebBrowserStandin::EventPoint::Unadvise(DWORD cookie) {
    auto& sinks = owner_->sinks_;
    for (auto it = sinks.begin(); it != sinks.end(); ++it) {
        if (it->first != cookie) continue;
        IDispatch* sink = it->second;
        sinks.erase(it);
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP WebBrowserStandin::EventPoint::EnumConnections(IEnumConnections**) {
    return E_NOTIMPL;
}

// The band reloads a channel page after a style sheet change.
STDMETHODIMP WebBrowserStandin::Refresh() {
    ++refreshes_;
    return S_OK;
}

// ---- methods no plug-in calls ---------------------------------------------

#define BROWSER_NOT_IMPLEMENTED(method, ...)              \
    STDMETHODIMP WebBrowserStandin::method(__VA_ARGS__) { \
        return E_NOTIMPL;                                 \
    }

BROWSER_NOT_IMPLEMENTED(GetTypeInfo, UINT, LCID, ITypeInfo**)
BROWSER_NOT_IMPLEMENTED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
BROWSER_NOT_IMPLEMENTED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*)
BROWSER_NOT_IMPLEMENTED(GoBack)
BROWSER_NOT_IMPLEMENTED(GoForward)
BROWSER_NOT_IMPLEMENTED(GoHome)
BROWSER_NOT_IMPLEMENTED(GoSearch)
BROWSER_NOT_IMPLEMENTED(Refresh2, VARIANT*)
BROWSER_NOT_IMPLEMENTED(Stop)
BROWSER_NOT_IMPLEMENTED(get_Parent, IDispatch**)
BROWSER_NOT_IMPLEMENTED(get_Container, IDispatch**)
BROWSER_NOT_IMPLEMENTED(get_Type, BSTR*)
BROWSER_NOT_IMPLEMENTED(get_Left, LONG*)
BROWSER_NOT_IMPLEMENTED(put_Left, LONG)
BROWSER_NOT_IMPLEMENTED(get_Top, LONG*)
BROWSER_NOT_IMPLEMENTED(put_Top, LONG)
BROWSER_NOT_IMPLEMENTED(get_Width, LONG*)
BROWSER_NOT_IMPLEMENTED(put_Width, LONG)
BROWSER_NOT_IMPLEMENTED(get_Height, LONG*)
BROWSER_NOT_IMPLEMENTED(put_Height, LONG)
BROWSER_NOT_IMPLEMENTED(Quit)
BROWSER_NOT_IMPLEMENTED(ClientToWindow, int*, int*)
BROWSER_NOT_IMPLEMENTED(PutProperty, BSTR, VARIANT)
BROWSER_NOT_IMPLEMENTED(GetProperty, BSTR, VARIANT*)
BROWSER_NOT_IMPLEMENTED(get_Name, BSTR*)
BROWSER_NOT_IMPLEMENTED(get_FullName, BSTR*)
BROWSER_NOT_IMPLEMENTED(get_Path, BSTR*)
BROWSER_NOT_IMPLEMENTED(get_StatusBar, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_StatusBar, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(get_StatusText, BSTR*)
BROWSER_NOT_IMPLEMENTED(put_StatusText, BSTR)
BROWSER_NOT_IMPLEMENTED(get_ToolBar, int*)
BROWSER_NOT_IMPLEMENTED(put_ToolBar, int)
BROWSER_NOT_IMPLEMENTED(get_MenuBar, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_MenuBar, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(get_FullScreen, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_FullScreen, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(QueryStatusWB, OLECMDID, OLECMDF*)
BROWSER_NOT_IMPLEMENTED(ExecWB, OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*)
BROWSER_NOT_IMPLEMENTED(ShowBrowserBar, VARIANT*, VARIANT*, VARIANT*)
BROWSER_NOT_IMPLEMENTED(get_Offline, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_Offline, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(get_Silent, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_Silent, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(get_RegisterAsBrowser, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_RegisterAsBrowser, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(get_RegisterAsDropTarget, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_RegisterAsDropTarget, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(get_TheaterMode, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_TheaterMode, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(get_AddressBar, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_AddressBar, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(get_Resizable, VARIANT_BOOL*)
BROWSER_NOT_IMPLEMENTED(put_Resizable, VARIANT_BOOL)
BROWSER_NOT_IMPLEMENTED(EnumConnectionPoints, IEnumConnectionPoints**)

#undef BROWSER_NOT_IMPLEMENTED
