#pragma once
// The explorer bar object the browser creates: it hosts the band window,
// answers the band protocol, relays drag and drop to the feed tree, follows
// the browser's navigation and keeps contact with the partner window.
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <shlobj.h>

#include <memory>

#include "RssLib.h"
#include "common/ComRef.h"
#include "server/BrowserEventSink.h"
#include "server/RssBandDispatch.h"

class BandSplitterWindow;

class RssBand : public IObjectWithSite,
                public RssBandDispatch,
                public IPersistStreamInit,
                public IDeskBand,
                public IInputObject,
                public IDropTarget,
                public BrowserEventSink {
public:
    // Creates an object, aggregated when outer is given (riid must then be
    // IUnknown and the inner unknown is returned).
    static HRESULT Create(IUnknown* outer, REFIID riid, void** out);

    // Where DownloadBegin reads the time; replaceable for tests.
    using TickSource = DWORD(WINAPI*)();
    static void SetTickSource(TickSource source);

    // IUnknown, delegating to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** out) override;

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;

    // IDeskBand with its IOleWindow and IDockingWindow parts
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    STDMETHODIMP ShowDW(BOOL show) override;
    STDMETHODIMP CloseDW(DWORD) override;
    STDMETHODIMP ResizeBorderDW(LPCRECT, IUnknown*, BOOL) override;
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override;

    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG*) override;
    STDMETHODIMP HasFocusIO() override;
    STDMETHODIMP TranslateAcceleratorIO(MSG*) override;

    // IDropTarget
    STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL point, DWORD*) override;
    STDMETHODIMP DragOver(DWORD, POINTL point, DWORD*) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL point, DWORD*) override;

protected:
    void OnBrowserEvent(DISPID event, DISPPARAMS* params) override;

private:
    // The object's own identity, which an aggregating outer object holds.
    class InnerUnknown : public IUnknown {
    public:
        explicit InnerUnknown(RssBand* owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        RssBand* owner_;
    };

    explicit RssBand(IUnknown* outer);
    ~RssBand() override;

    void CreateBandWindow(IUnknown* site);
    void DestroyBandWindow();
    HWND BandWindow() const;
    HWND TreePaneWindow() const;
    HWND BrowserFrame() const;
    void FindPartner();
    void RequestPartnerPage();
    void SyncBrowserToolbars() const;

    static BOOL CALLBACK PartnerCandidate(HWND window, LPARAM self);
    static BOOL CALLBACK SyncToolbar(HWND window, LPARAM);

    InnerUnknown inner_;
    IUnknown* outer_;
    LONG references_ = 1;

    ComRef<IUnknown> site_;
    ComRef<IWebBrowser2> browser_;
    std::unique_ptr<BandSplitterWindow> bandWindow_;
    bool dirty_ = false;
    bool navigating_ = false;
    DWORD lastPartnerRequest_ = 0;
    HWND partner_ = nullptr;
};
