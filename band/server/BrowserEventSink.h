#pragma once
// Base of an object that listens to a browser's DWebBrowserEvents2. The sink
// is a small identity of its own inside the object: the connection point
// talks to it, the object's QueryInterface never hands it out, and it lives
// exactly as long as the object (which disconnects it before going away).
#include <exdisp.h>
#include <ocidl.h>

#include "common/ComRef.h"

class BrowserEventSink {
public:
    BrowserEventSink();
    virtual ~BrowserEventSink();
    BrowserEventSink(const BrowserEventSink&) = delete;
    BrowserEventSink& operator=(const BrowserEventSink&) = delete;

protected:
    // Advises the browser's connection point unless already connected.
    HRESULT ConnectEvents(IWebBrowser2* browser);
    void DisconnectEvents();
    bool EventsConnected() const { return cookie_ != 0; }

    virtual void OnBrowserEvent(DISPID event, DISPPARAMS* params) = 0;

private:
    class Dispatch : public IDispatch {
    public:
        explicit Dispatch(BrowserEventSink* owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
        STDMETHODIMP_(ULONG) AddRef() override { return 1; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override;
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
        STDMETHODIMP Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                            EXCEPINFO*, UINT*) override;

    private:
        BrowserEventSink* owner_;
    };

    Dispatch dispatch_;
    ComRef<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};
