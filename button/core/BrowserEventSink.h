#pragma once
#include <windows.h>
#include <oaidl.h>

#include "core/EventDispatch.h"
#include "core/ToolbarHost.h"

// What the browser's events become; frame is the frame that navigated (the
// browser itself for the top-level page).
class BrowserEventHandler {
public:
    virtual void OnBeforeNavigate2(IDispatch* frame, const wchar_t* url) = 0;
    virtual void OnNavigateComplete2(IDispatch* frame, const wchar_t* url) = 0;
    virtual void OnDocumentComplete(IDispatch* frame, const wchar_t* url) = 0;
    virtual void OnDownloadComplete() = 0;
    virtual void OnBrowserQuit() = 0;

protected:
    ~BrowserEventHandler() = default;
};

// The browser event sink of one button, connected through the host. The
// button owns it, so it counts no references.
class BrowserEventSink final : public EventDispatch {
public:
    explicit BrowserEventSink(BrowserEventHandler* handler) : handler_(handler) {}
    BrowserEventSink(const BrowserEventSink&) = delete;
    BrowserEventSink& operator=(const BrowserEventSink&) = delete;

    // Once per connection; a second Connect while connected does nothing.
    void Connect(ToolbarHost* host);
    void Disconnect(ToolbarHost* host);
    bool IsConnected() const { return cookie_ != 0; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch (the rest comes from EventDispatch)
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    BrowserEventHandler* handler_;
    DWORD cookie_ = 0;
};
