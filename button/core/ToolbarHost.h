#pragma once
#include <windows.h>
#include <unknwn.h>

// The host toolbar's per-button object, the host key of every message. Only
// the slots the plug-in calls are named; the others belong to the host and
// keep the table positions.
struct ToolbarHost : public IUnknown {
    // 3
    virtual HRESULT STDMETHODCALLTYPE GetToolbarWindow(HWND* window) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    // 8: runs a host command such as "Login" (12, 164, 0).
    virtual HRESULT STDMETHODCALLTYPE RunCommand(const wchar_t* command, LONG a, LONG b,
                                                 LONG c) = 0;
    // 9: negative when nobody is logged in. key may be null (capacity 0).
    virtual HRESULT STDMETHODCALLTYPE GetLogin(DWORD* user, wchar_t* key, LONG capacity) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    // 17: in the toolbar window's client coordinates; all zero when unknown.
    virtual HRESULT STDMETHODCALLTYPE GetButtonRect(WORD commandId, RECT* rect) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    // 20, 21: DWebBrowserEvents2 of the button's browser.
    virtual HRESULT STDMETHODCALLTYPE ConnectBrowserEvents(IDispatch* sink, DWORD* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisconnectBrowserEvents(DWORD cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
    // 24: the browser opens the address.
    virtual HRESULT STDMETHODCALLTYPE OpenAddress(const wchar_t* address, LONG flags) = 0;
};
