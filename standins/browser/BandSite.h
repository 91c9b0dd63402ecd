#pragma once
// What the browser gives an explorer bar as its site: IServiceProvider for
// the browser object and IOleWindow for the host window the band fills. The
// site owns a hidden top-level browser frame window with the host as its
// child (hidden: under Wine a shown top-level window costs seconds to destroy);
// tests put further windows (toolbars, partner windows) into the frame.
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

class BandSite final : public IServiceProvider, public IOleWindow {
public:
    enum class Services {
        Browser,    // QueryService gives the browser
        NoBrowser,  // IServiceProvider present, but no browser service
        None,       // no IServiceProvider at all
    };

    // Reference count 1. browser may be null with Services other than Browser.
    static BandSite* Create(IWebBrowser2* browser, Services services = Services::Browser,
                            bool oleWindow = true);

    HWND Frame() const { return frame_; }
    HWND Host() const { return host_; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** object) override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    BandSite(IWebBrowser2* browser, Services services, bool oleWindow);
    ~BandSite();

    LONG refs_ = 1;
    IWebBrowser2* browser_;
    Services services_;
    bool oleWindow_;
    HWND frame_ = nullptr;
    HWND host_ = nullptr;
};
