#include "server/RssBand.h"

#include <exdispid.h>
#include <shlguid.h>
#include <cstring>
#include <memory>
#include <string>

#include "server/EngineProtocol.h"
#include "server/InterfaceTable.h"
#include "server/Module.h"
#include "ui/BandSplitterWindow.h"

namespace {

const wchar_t kBandTitle[] = L"我的订阅";
const DWORD kPersistedValue = 0x710;
const DWORD kBandWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
// A page request repeats at most once a second.
const DWORD kPartnerRequestInterval = 1000;

RssBand::TickSource g_tickSource = GetTickCount;

bool ClassNameIs(HWND window, const char* name) {
    char className[1024] = "";
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, name) == 0;
}

// The tree pane when the tree control lies under the screen point.
HWND TreePaneAt(POINTL point) {
    POINT at = {point.x, point.y};
    HWND window = WindowFromPoint(at);
    if (!window || !ClassNameIs(window, "SysTreeView32")) return nullptr;
    return GetParent(window);
}

LPARAM PointParam(POINTL point) {
    return MAKELPARAM(point.x, point.y);
}

const InterfaceEntry* InterfaceTable() {
    static const InterfaceEntry table[] = {
        {&IID_IRssBand, InterfaceOffset<RssBand, IRssBand>()},
        {&IID_IDispatch, InterfaceOffset<RssBand, IRssBand>()},
        {&IID_IObjectWithSite, InterfaceOffset<RssBand, IObjectWithSite>()},
        {&IID_IDeskBand, InterfaceOffset<RssBand, IDeskBand>()},
        {&IID_IInputObject, InterfaceOffset<RssBand, IInputObject>()},
        {&IID_IPersistStreamInit, InterfaceOffset<RssBand, IPersistStreamInit>()},
        {&IID_IPersist, InterfaceOffset<RssBand, IPersistStreamInit>()},
        {&IID_IDropTarget, InterfaceOffset<RssBand, IDropTarget>()},
        {nullptr, 0},
    };
    return table;
}

}  // namespace

// ---- creation and identity

HRESULT RssBand::Create(IUnknown* outer, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    RssBand* band = new (std::nothrow) RssBand(outer);
    if (!band) return E_OUTOFMEMORY;
    HRESULT hr = band->inner_.QueryInterface(riid, out);
    band->inner_.Release();
    return hr;
}

void RssBand::SetTickSource(TickSource source) {
    g_tickSource = source ? source : GetTickCount;
}

RssBand::RssBand(IUnknown* outer) : inner_(this), outer_(outer ? outer : &inner_) {
    Module::Lock();
}

RssBand::~RssBand() {
    DestroyBandWindow();
    DisconnectEvents();
    Module::Unlock();
}

STDMETHODIMP RssBand::InnerUnknown::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return QueryInterfaceFromTable(owner_, InterfaceTable(), riid, out);
}

STDMETHODIMP_(ULONG) RssBand::InnerUnknown::AddRef() {
    return InterlockedIncrement(&owner_->references_);
}

STDMETHODIMP_(ULONG) RssBand::InnerUnknown::Release() {
    LONG left = InterlockedDecrement(&owner_->references_);
    if (left == 0) delete owner_;
    return left;
}

STDMETHODIMP RssBand::QueryInterface(REFIID riid, void** out) {
    return outer_->QueryInterface(riid, out);
}
STDMETHODIMP_(ULONG) RssBand::AddRef() {
    return outer_->AddRef();
}
STDMETHODIMP_(ULONG) RssBand::Release() {
    return outer_->Release();
}

// ---- IObjectWithSite

STDMETHODIMP RssBand::SetSite(IUnknown* site) {
    try {
        site_.Assign(site);
        if (!site) {
            DestroyBandWindow();
            // Events after this point would reach an object that may soon be gone.
            DisconnectEvents();
            browser_.Reset();
            partner_ = nullptr;
            return S_OK;
        }
        ComRef<IServiceProvider> services;
        browser_.Reset();
        if (SUCCEEDED(site->QueryInterface(IID_IServiceProvider,
                                           reinterpret_cast<void**>(services.Receive())))) {
            services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                   reinterpret_cast<void**>(browser_.Receive()));
        }
        if (!browser_) return E_FAIL;
        ConnectEvents(browser_.Get());
        CreateBandWindow(site);
        FindPartner();
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP RssBand::GetSite(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!site_) return E_FAIL;
    return site_->QueryInterface(riid, out);
}

void RssBand::CreateBandWindow(IUnknown* site) {
    ComRef<IOleWindow> oleWindow;
    if (FAILED(
            site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(oleWindow.Receive())))) {
        return;
    }
    HWND host = nullptr;
    if (FAILED(oleWindow->GetWindow(&host))) return;
    // A second site replaces the window of the first.
    DestroyBandWindow();
    RECT rect = {};
    GetClientRect(host, &rect);
    bandWindow_ = std::make_unique<BandSplitterWindow>(browser_.Get());
    bandWindow_->Create(host, rect, kBandWindowStyle);
}

void RssBand::DestroyBandWindow() {
    if (!bandWindow_) return;
    if (partner_ && IsWindow(partner_)) SendMessageA(partner_, WM_RSS_PARTNER_ATTACH, 0, 0);
    bandWindow_->Destroy();
    bandWindow_.reset();
}

HWND RssBand::BandWindow() const {
    return bandWindow_ ? bandWindow_->Handle() : nullptr;
}

HWND RssBand::TreePaneWindow() const {
    return bandWindow_ ? bandWindow_->PaneWindow() : nullptr;
}

HWND RssBand::BrowserFrame() const {
    SHANDLE_PTR frame = 0;
    if (!browser_ || FAILED(browser_->get_HWND(&frame))) return nullptr;
    return reinterpret_cast<HWND>(frame);
}

// ---- the partner window

BOOL CALLBACK RssBand::PartnerCandidate(HWND window, LPARAM self) {
    if (!GetPropA(window, kPartnerProperty)) return TRUE;
    // The browser's address box may carry the same mark.
    if (ClassNameIs(window, "ComboBoxEx32")) return TRUE;
    reinterpret_cast<RssBand*>(self)->partner_ = window;
    return FALSE;
}

void RssBand::FindPartner() {
    HWND frame = BrowserFrame();
    if (frame) EnumChildWindows(frame, PartnerCandidate, reinterpret_cast<LPARAM>(this));
    HWND pane = TreePaneWindow();
    if (partner_ && IsWindow(partner_) && pane && IsWindow(pane)) {
        SendMessageA(partner_, WM_RSS_PARTNER_ATTACH, reinterpret_cast<WPARAM>(pane), 0);
    }
}

void RssBand::RequestPartnerPage() {
    DWORD now = g_tickSource();
    if (navigating_ || !partner_ || !IsWindow(partner_) ||
        !SendMessageA(partner_, WM_RSS_PARTNER_QUERY, 0, 0)) {
        lastPartnerRequest_ = now;
        return;
    }
    // A clock that wrapped since the last request always lets it through.
    if (now - lastPartnerRequest_ <= kPartnerRequestInterval && now >= lastPartnerRequest_) return;
    lastPartnerRequest_ = now;
    if (IsWindow(partner_)) {
        SendMessageA(partner_, WM_RSS_PARTNER_PAGE, reinterpret_cast<WPARAM>(TreePaneWindow()), 0);
    }
}

void RssBand::OnBrowserEvent(DISPID event, DISPPARAMS*) {
    if (!browser_) return;
    switch (event) {
        case DISPID_BEFORENAVIGATE2:
            if (!partner_) FindPartner();
            navigating_ = true;
            break;
        case DISPID_NAVIGATECOMPLETE2:
            navigating_ = false;
            break;
        case DISPID_DOWNLOADBEGIN:
            RequestPartnerPage();
            break;
        default:
            break;
    }
}

// ---- IPersistStreamInit

STDMETHODIMP RssBand::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_RssBand;
    return S_OK;
}

STDMETHODIMP RssBand::IsDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

STDMETHODIMP RssBand::Load(IStream* stream) {
    if (!stream) return E_POINTER;
    DWORD value = 0;
    ULONG read = 0;
    HRESULT hr = stream->Read(&value, sizeof value, &read);
    if (FAILED(hr)) return hr;
    // A short stream holds no value at all.
    if (read != sizeof value || value > kPersistedValue) return E_FAIL;
    dirty_ = false;
    return S_OK;
}

STDMETHODIMP RssBand::Save(IStream* stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    DWORD value = kPersistedValue;
    HRESULT hr = stream->Write(&value, sizeof value, nullptr);
    if (FAILED(hr)) return hr;
    if (clearDirty) dirty_ = false;
    return S_OK;
}

STDMETHODIMP RssBand::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = sizeof(DWORD);
    return S_OK;
}

STDMETHODIMP RssBand::InitNew() {
    dirty_ = true;
    return S_OK;
}

// ---- IDeskBand

STDMETHODIMP RssBand::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = BandWindow();
    return S_OK;
}

STDMETHODIMP RssBand::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

BOOL CALLBACK RssBand::SyncToolbar(HWND window, LPARAM) {
    if (ClassNameIs(window, "ToolbarWindow32")) SendMessageA(window, WM_RSS_TOOLBAR_SYNC, 0, 0);
    return TRUE;
}

void RssBand::SyncBrowserToolbars() const {
    HWND frame = BrowserFrame();
    if (frame) EnumChildWindows(frame, SyncToolbar, 0);
}

STDMETHODIMP RssBand::ShowDW(BOOL show) {
    try {
        if (bandWindow_) {
            ShowWindow(BandWindow(), show ? SW_SHOW : SW_HIDE);
            HWND engine = FindWindowA(kEngineWindowClass, nullptr);
            if (engine) {
                PostMessageA(engine, WM_RSS_BAND_SHOW, reinterpret_cast<WPARAM>(BandWindow()),
                             show ? 1 : 0);
            }
        }
        if (browser_) SyncBrowserToolbars();
    } catch (...) {
    }
    return S_OK;
}

STDMETHODIMP RssBand::CloseDW(DWORD) {
    ShowDW(FALSE);
    return S_OK;
}

STDMETHODIMP RssBand::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP RssBand::GetBandInfo(DWORD, DWORD, DESKBANDINFO* info) {
    if (!info) return E_INVALIDARG;
    if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = {160, 160};
    if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = {-1, -1};
    if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = {1, 1};
    if (info->dwMask & DBIM_ACTUAL) info->ptActual = {0, 0};
    if (info->dwMask & DBIM_TITLE) lstrcpynW(info->wszTitle, kBandTitle, 256);
    if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = DBIMF_VARIABLEHEIGHT;
    // The browser's own background serves.
    info->dwMask &= ~DBIM_BKCOLOR;
    return S_OK;
}

// ---- IInputObject

STDMETHODIMP RssBand::UIActivateIO(BOOL activate, MSG*) {
    HWND band = BandWindow();
    if (activate && band && IsWindow(band)) SetFocus(band);
    return S_OK;
}

STDMETHODIMP RssBand::HasFocusIO() {
    HWND band = BandWindow();
    HWND focus = GetFocus();
    if (band && focus && (focus == band || IsChild(band, focus))) return S_OK;
    return S_FALSE;
}

STDMETHODIMP RssBand::TranslateAcceleratorIO(MSG*) {
    return E_NOTIMPL;
}

// ---- IDropTarget

STDMETHODIMP RssBand::DragEnter(IDataObject*, DWORD, POINTL point, DWORD*) {
    if (!BandWindow() || !IsWindow(BandWindow())) return S_OK;
    HWND target = TreePaneAt(point);
    if (target) SendMessageA(target, WM_RSS_DRAG_ENTER, 0, PointParam(point));
    return S_OK;
}

STDMETHODIMP RssBand::DragOver(DWORD, POINTL point, DWORD*) {
    HWND target = TreePaneAt(point);
    if (target) SendMessageA(target, WM_RSS_DROP, 0, PointParam(point));
    return S_OK;
}

STDMETHODIMP RssBand::DragLeave() {
    HWND pane = TreePaneWindow();
    if (BandWindow() && IsWindow(BandWindow()) && pane) {
        SendMessageA(pane, WM_RSS_DRAG_LEAVE, 0, 0);
    }
    return S_OK;
}

STDMETHODIMP RssBand::Drop(IDataObject* data, DWORD, POINTL point, DWORD*) {
    if (!data) return E_INVALIDARG;
    FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return E_FAIL;
    if (medium.tymed != TYMED_HGLOBAL) {
        ReleaseStgMedium(&medium);
        return E_FAIL;
    }
    try {
        const char* locked = static_cast<const char*>(GlobalLock(medium.hGlobal));
        if (locked) {
            // The text comes from another program: never read past its block.
            std::string text(locked, strnlen(locked, GlobalSize(medium.hGlobal)));
            GlobalUnlock(medium.hGlobal);
            HWND target = TreePaneAt(point);
            if (target) {
                SendMessageA(target, WM_RSS_DROP, reinterpret_cast<WPARAM>(text.c_str()),
                             PointParam(point));
            }
        }
    } catch (...) {
    }
    ReleaseStgMedium(&medium);
    return S_OK;
}
