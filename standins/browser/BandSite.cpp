#include "browser/BandSite.h"

#include <shlguid.h>

namespace {

const char kFrameClass[] = "RSS_TestBrowserFrame";
const char kHostClass[] = "RSS_TestBandHost";

void RegisterPlainClass(const char* name) {
    WNDCLASSA windowClass = {};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &windowClass)) return;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

}  // namespace

BandSite* BandSite::Create(IWebBrowser2* browser, Services services, bool oleWindow) {
    return new BandSite(browser, services, oleWindow);
}

BandSite::BandSite(IWebBrowser2* browser, Services services, bool oleWindow)
    : browser_(browser), services_(services), oleWindow_(oleWindow) {
    if (browser_) browser_->AddRef();
    RegisterPlainClass(kFrameClass);
    RegisterPlainClass(kHostClass);
    frame_ = CreateWindowExA(0, kFrameClass, "Browser", WS_POPUP, 0, 0, 800,
                             600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    host_ = CreateWindowExA(0, kHostClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 220,
                            500, frame_, nullptr, GetModuleHandleA(nullptr), nullptr);
}

BandSite::~BandSite() {
    if (frame_) DestroyWindow(frame_);
    if (browser_) browser_->Release();
}

STDMETHODIMP BandSite::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *object = static_cast<IServiceProvider*>(this);
    } else if (IsEqualIID(riid, IID_IServiceProvider) && services_ != Services::None) {
        *object = static_cast<IServiceProvider*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) && oleWindow_) {
        *object = static_cast<IOleWindow*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) BandSite::AddRef() {
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) BandSite::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP BandSite::QueryService(REFGUID service, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (services_ != Services::Browser || !browser_ || !IsEqualGUID(service, SID_SWebBrowserApp)) {
        return E_NOINTERFACE;
    }
    return browser_->QueryInterface(riid, object);
}

STDMETHODIMP BandSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = host_;
    return S_OK;
}
