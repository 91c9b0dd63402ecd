#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/ToolbarHost.h"

class WebBrowserStandin;

// The host's per-button object: answers the operations the plug-in calls and
// records what it was asked. Browser events are connected to the browser
// stand-in's DWebBrowserEvents2 connection point.
class ToolbarHostObject : public ToolbarHost {
public:
    struct CommandCall {
        std::wstring command;
        LONG a, b, c;
    };
    struct AddressCall {
        std::wstring address;
        LONG flags;
    };

    // Reference count 1; the caller releases it.
    static ToolbarHostObject* Create(HWND toolbar, WebBrowserStandin* browser);

    // Host-side settings.
    void SetToolbar(HWND toolbar) { toolbar_ = toolbar; }
    void SetLogin(DWORD userNumber, bool loggedIn, const std::wstring& key);
    // The answer to a query for IWebBrowser2: S_OK offers the browser.
    void SetBrowserQueryResult(HRESULT result) { browserQueryResult_ = result; }

    // What the plug-in asked.
    const std::vector<CommandCall>& Commands() const { return commands_; }
    const std::vector<AddressCall>& OpenedAddresses() const { return addresses_; }
    int LoginQueries() const { return loginQueries_; }
    int Connects() const { return connects_; }
    int Disconnects() const { return disconnects_; }
    LONG RefCount() const { return refs_; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // ToolbarHost
    STDMETHODIMP GetToolbarWindow(HWND* window) override;
    STDMETHODIMP RunCommand(const wchar_t* command, LONG a, LONG b, LONG c) override;
    STDMETHODIMP GetLogin(DWORD* user, wchar_t* key, LONG capacity) override;
    STDMETHODIMP GetButtonRect(WORD commandId, RECT* rect) override;
    STDMETHODIMP ConnectBrowserEvents(IDispatch* sink, DWORD* cookie) override;
    STDMETHODIMP DisconnectBrowserEvents(DWORD cookie) override;
    STDMETHODIMP OpenAddress(const wchar_t* address, LONG flags) override;
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved15() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved18() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved22() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved23() override { return E_NOTIMPL; }

private:
    ToolbarHostObject(HWND toolbar, WebBrowserStandin* browser);
    virtual ~ToolbarHostObject();

    LONG refs_ = 1;
    HWND toolbar_;
    WebBrowserStandin* browser_;
    HRESULT browserQueryResult_ = S_OK;
    DWORD userNumber_ = 0;
    bool loggedIn_ = false;
    std::wstring loginKey_;
    std::vector<CommandCall> commands_;
    std::vector<AddressCall> addresses_;
    int loginQueries_ = 0;
    int connects_ = 0;
    int disconnects_ = 0;
};
