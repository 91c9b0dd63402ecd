#pragma once
#include <windows.h>
#include <mshtml.h>
#include <ocidl.h>

#include "common/ComRef.h"
#include "core/EventDispatch.h"

// HTMLDocumentEvents2, which MinGW's uuid library does not carry.
extern const IID kHtmlDocumentEvents2;

// The HTMLDocumentEvents2 sink of one document at a time: hands the element
// of every click to its owner and lets the click go on. The owner keeps it
// alive while it is advised, so the sink counts no references.
class DocumentClickSink : public EventDispatch {
public:
    class Owner {
    public:
        virtual void OnDocumentClick(IHTMLElement* element) = 0;

    protected:
        ~Owner() = default;
    };

    explicit DocumentClickSink(Owner* owner) : owner_(owner) {}
    ~DocumentClickSink() { Detach(); }
    DocumentClickSink(const DocumentClickSink&) = delete;
    DocumentClickSink& operator=(const DocumentClickSink&) = delete;

    // Advises the document's connection point; does nothing while attached.
    // A failing step leaves the sink detached.
    void Attach(IDispatch* document);
    // Unadvises the connection point it was advised on, which stays right
    // even when the browser has moved on to another document.
    void Detach();
    bool IsAttached() const { return cookie_ != 0; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // IDispatch (the rest comes from EventDispatch)
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    void OnClick(const DISPPARAMS* params);

    Owner* owner_;
    ComRef<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};
