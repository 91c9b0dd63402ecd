#include "host/ToolbarHostObject.h"

#include <commctrl.h>
#include <exdisp.h>
#include <ocidl.h>

#include "browser/WebBrowserStandin.h"

ToolbarHostObject* ToolbarHostObject::Create(HWND toolbar, WebBrowserStandin* browser) {
    return new ToolbarHostObject(toolbar, browser);
}

ToolbarHostObject::ToolbarHostObject(HWND toolbar, WebBrowserStandin* browser)
    : toolbar_(toolbar), browser_(browser) {
    if (browser_) browser_->AddRef();
}

ToolbarHostObject::~ToolbarHostObject() {
    if (browser_) browser_->Release();
}

void ToolbarHostObject::SetLogin(DWORD userNumber, bool loggedIn, const std::wstring& key) {
    userNumber_ = userNumber;
    loggedIn_ = loggedIn;
    loginKey_ = key;
}

STDMETHODIMP ToolbarHostObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    // The host hands out the browser of the window it sits in.
    if (riid == IID_IWebBrowser2) {
        if (FAILED(browserQueryResult_)) return browserQueryResult_;
        if (!browser_) return E_NOINTERFACE;
        return browser_->QueryInterface(riid, object);
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ToolbarHostObject::AddRef() {
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) ToolbarHostObject::Release() {
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP ToolbarHostObject::GetToolbarWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = toolbar_;
    return toolbar_ ? S_OK : E_FAIL;
}

STDMETHODIMP ToolbarHostObject::RunCommand(const wchar_t* command, LONG a, LONG b, LONG c) {
    commands_.push_back({command ? command : L"", a, b, c});
    return S_OK;
}

STDMETHODIMP ToolbarHostObject::GetLogin(DWORD* user, wchar_t* key, LONG capacity) {
    ++loginQueries_;
    if (user) *user = userNumber_;
    if (key && capacity > 0) lstrcpynW(key, loggedIn_ ? loginKey_.c_str() : L"", capacity);
    return loggedIn_ ? S_OK : E_FAIL;
}

STDMETHODIMP ToolbarHostObject::GetButtonRect(WORD commandId, RECT* rect) {
    if (!rect) return E_POINTER;
    SetRectEmpty(rect);
    if (!toolbar_ ||
        !SendMessageW(toolbar_, TB_GETRECT, commandId, reinterpret_cast<LPARAM>(rect))) {
        SetRectEmpty(rect);
    }
    return S_OK;
}

STDMETHODIMP ToolbarHostObject::ConnectBrowserEvents(IDispatch* sink, DWORD* cookie) {
    ++connects_;
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink || !browser_) return E_FAIL;
    IConnectionPoint* point = nullptr;
    HRESULT hr = browser_->FindConnectionPoint(DIID_DWebBrowserEvents2, &point);
    if (FAILED(hr)) return hr;
    hr = point->Advise(sink, cookie);
    point->Release();
    return hr;
}

STDMETHODIMP ToolbarHostObject::DisconnectBrowserEvents(DWORD cookie) {
    ++disconnects_;
    if (!browser_) return E_FAIL;
    IConnectionPoint* point = nullptr;
    HRESULT hr = browser_->FindConnectionPoint(DIID_DWebBrowserEvents2, &point);
    if (FAILED(hr)) return hr;
    hr = point->Unadvise(cookie);
    point->Release();
    return hr;
}

STDMETHODIMP ToolbarHostObject::OpenAddress(const wchar_t* address, LONG flags) {
    addresses_.push_back({address ? address : L"", flags});
    return S_OK;
}
