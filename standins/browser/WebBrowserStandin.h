#pragma once
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

// A browser object for tests and the demo: answers IWebBrowser2 with a
// settable location and document, records every Navigate and Navigate2 call,
// and delivers DWebBrowserEvents2 to the sinks connected through its
// connection point when a test fires them. Methods the plug-ins never use
// return E_NOTIMPL.
class WebBrowserStandin : public IWebBrowser2, public IConnectionPointContainer {
public:
    struct Navigation {
        std::wstring url;
        LONG flags = 0;
        std::wstring targetFrame;
        std::wstring headers;
        bool viaNavigate2 = false;
    };

    // Reference count 1; the caller releases it.
    static WebBrowserStandin* Create();

    // Test side.
    void SetLocation(const std::wstring& url, const std::wstring& title);
    void SetDocument(IDispatch* document);
    void SetWindow(HWND window) { window_ = window; }
    void SetBusy(bool busy) { busy_ = busy; }
    void SetReadyState(READYSTATE state) { readyState_ = state; }
    const std::vector<Navigation>& Navigations() const { return navigations_; }
    void ClearNavigations() {
        navigations_.clear();
        refreshes_ = 0;
    }
    int Refreshes() const { return refreshes_; }
    size_t SinkCount() const { return sinks_.size(); }
    LONG RefCount() const { return refs_; }

    // Each event goes to every connected sink with the arguments the browser
    // passes; frame defaults to this browser (the top-level frame).
    // Returns the Cancel flag the sinks left set.
    bool FireBeforeNavigate2(const std::wstring& url, IDispatch* frame = nullptr, LONG flags = 0,
                             const std::wstring& targetFrame = L"");
    void FireNavigateComplete2(const std::wstring& url, IDispatch* frame = nullptr);
    void FireDocumentComplete(const std::wstring& url, IDispatch* frame = nullptr);
    void FireDownloadBegin();
    void FireDownloadComplete();
    void FireQuit();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override;

    // IWebBrowser
    STDMETHODIMP GoBack() override;
    STDMETHODIMP GoForward() override;
    STDMETHODIMP GoHome() override;
    STDMETHODIMP GoSearch() override;
    STDMETHODIMP Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                          VARIANT* headers) override;
    STDMETHODIMP Refresh() override;
    STDMETHODIMP Refresh2(VARIANT* level) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP get_Application(IDispatch** disp) override;
    STDMETHODIMP get_Parent(IDispatch** disp) override;
    STDMETHODIMP get_Container(IDispatch** disp) override;
    STDMETHODIMP get_Document(IDispatch** disp) override;
    STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL* value) override;
    STDMETHODIMP get_Type(BSTR* type) override;
    STDMETHODIMP get_Left(LONG* value) override;
    STDMETHODIMP put_Left(LONG value) override;
    STDMETHODIMP get_Top(LONG* value) override;
    STDMETHODIMP put_Top(LONG value) override;
    STDMETHODIMP get_Width(LONG* value) override;
    STDMETHODIMP put_Width(LONG value) override;
    STDMETHODIMP get_Height(LONG* value) override;
    STDMETHODIMP put_Height(LONG value) override;
    STDMETHODIMP get_LocationName(BSTR* name) override;
    STDMETHODIMP get_LocationURL(BSTR* url) override;
    STDMETHODIMP get_Busy(VARIANT_BOOL* value) override;

    // IWebBrowserApp
    STDMETHODIMP Quit() override;
    STDMETHODIMP ClientToWindow(int* cx, int* cy) override;
    STDMETHODIMP PutProperty(BSTR name, VARIANT value) override;
    STDMETHODIMP GetProperty(BSTR name, VARIANT* value) override;
    STDMETHODIMP get_Name(BSTR* name) override;
    STDMETHODIMP get_HWND(SHANDLE_PTR* window) override;
    STDMETHODIMP get_FullName(BSTR* name) override;
    STDMETHODIMP get_Path(BSTR* path) override;
    STDMETHODIMP get_Visible(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL value) override;
    STDMETHODIMP get_StatusBar(VARIANT_BOOL* value) override;
    STDMETHODIMP put_StatusBar(VARIANT_BOOL value) override;
    STDMETHODIMP get_StatusText(BSTR* text) override;
    STDMETHODIMP put_StatusText(BSTR text) override;
    STDMETHODIMP get_ToolBar(int* value) override;
    STDMETHODIMP put_ToolBar(int value) override;
    STDMETHODIMP get_MenuBar(VARIANT_BOOL* value) override;
    STDMETHODIMP put_MenuBar(VARIANT_BOOL value) override;
    STDMETHODIMP get_FullScreen(VARIANT_BOOL* value) override;
    STDMETHODIMP put_FullScreen(VARIANT_BOOL value) override;

    // IWebBrowser2
    STDMETHODIMP Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                           VARIANT* headers) override;
    STDMETHODIMP QueryStatusWB(OLECMDID id, OLECMDF* status) override;
    STDMETHODIMP ExecWB(OLECMDID id, OLECMDEXECOPT option, VARIANT* in, VARIANT* out) override;
    STDMETHODIMP ShowBrowserBar(VARIANT* clsid, VARIANT* show, VARIANT* size) override;
    STDMETHODIMP get_ReadyState(READYSTATE* state) override;
    STDMETHODIMP get_Offline(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Offline(VARIANT_BOOL value) override;
    STDMETHODIMP get_Silent(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Silent(VARIANT_BOOL value) override;
    STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL* value) override;
    STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL value) override;
    STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL* value) override;
    STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL value) override;
    STDMETHODIMP get_TheaterMode(VARIANT_BOOL* value) override;
    STDMETHODIMP put_TheaterMode(VARIANT_BOOL value) override;
    STDMETHODIMP get_AddressBar(VARIANT_BOOL* value) override;
    STDMETHODIMP put_AddressBar(VARIANT_BOOL value) override;
    STDMETHODIMP get_Resizable(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Resizable(VARIANT_BOOL value) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

protected:
    WebBrowserStandin();
    virtual ~WebBrowserStandin();

private:
    // The DWebBrowserEvents2 connection point; its lifetime is the browser's.
    class EventPoint : public IConnectionPoint {
    public:
        explicit EventPoint(WebBrowserStandin* owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }
        STDMETHODIMP GetConnectionInterface(IID* iid) override;
        STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
        STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
        STDMETHODIMP Unadvise(DWORD cookie) override;
        STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    private:
        WebBrowserStandin* owner_;
    };

    void Fire(DISPID id, VARIANTARG* args, UINT count);
    void Record(const wchar_t* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* headers,
                bool viaNavigate2);

    LONG refs_ = 1;
    EventPoint eventPoint_;
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
    DWORD nextCookie_ = 1;
    std::vector<Navigation> navigations_;
    int refreshes_ = 0;
    std::wstring url_;
    std::wstring title_;
    IDispatch* document_ = nullptr;
    HWND window_ = nullptr;
    bool busy_ = false;
    READYSTATE readyState_ = READYSTATE_COMPLETE;
    VARIANT_BOOL visible_ = VARIANT_TRUE;
};
