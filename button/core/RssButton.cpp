#include "core/RssButton.h"

#include <exdispid.h>

#include "core/AddedTip.h"
#include "core/ButtonMenu.h"
#include "core/HostProtocol.h"
#include "core/MemoryProbe.h"
#include "core/MenuCommand.h"
#include "core/MenuItemQueries.h"
#include "core/Module.h"
#include "core/RefreshFlag.h"
#include "core/ToolbarEnvironment.h"
#include "dialogs/ManageFeedsDialog.h"
#include "feeds/FeedCache.h"
#include "feeds/ReadMarks.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionRefresh.h"
#include "feeds/SubscriptionStore.h"
#include "page/PageDocument.h"
#include "page/PageFeeds.h"
#include "res/resource.h"
#include "web/ReaderSync.h"
#include "web/SystemInfo.h"

namespace {

constexpr int kIconResources[RssButton::kIconCount] = {
    IDI_BUTTON_FEED, IDI_BUTTON_NO_FEED, IDI_FEED_SUBMENU,
    IDI_ITEM_UNREAD, IDI_ITEM_READ,      IDI_WEB_READER,
};

// The refresh worker gets this long to end before it is terminated.
constexpr DWORD kRefreshStopWait = 50;
// A worker that has let go of its mutex only posts and clears the flag
// before it ends; a new refresh waits that long for it at most.
constexpr DWORD kEndedWorkerWait = 1000;

// Exists while a refresh runs anywhere in the log-on session.
const wchar_t kRefreshMutexName[] = L"RssUpdate{e1378540-34b0-44b5-8498-d4a24a97435}";

// An event argument as the browser passes it, possibly by reference.
const VARIANT* Deref(const VARIANT* value) {
    while (value && V_VT(value) == (VT_VARIANT | VT_BYREF)) value = V_VARIANTREF(value);
    return value;
}

// Argument i in the event's declared order (DISPPARAMS holds them reversed).
const VARIANT* Argument(const DISPPARAMS* params, UINT i) {
    if (!params || !params->rgvarg || i >= params->cArgs) return nullptr;
    return Deref(&params->rgvarg[params->cArgs - 1 - i]);
}

IDispatch* FrameArgument(const DISPPARAMS* params) {
    const VARIANT* value = Argument(params, 0);
    return value && V_VT(value) == VT_DISPATCH ? V_DISPATCH(value) : nullptr;
}

const wchar_t* UrlArgument(const DISPPARAMS* params) {
    const VARIANT* value = Argument(params, 1);
    if (!value) return L"";
    if (V_VT(value) == VT_BSTR && V_BSTR(value)) return V_BSTR(value);
    if (V_VT(value) == (VT_BSTR | VT_BYREF) && V_BSTRREF(value) && *V_BSTRREF(value)) {
        return *V_BSTRREF(value);
    }
    return L"";
}

}  // namespace

RssButton::RssButton() {
    browserIs7OrLater_ = BrowserMajorVersion() >= 7;
    EnsureStore();
}

RssButton::~RssButton() {
    for (IconHandle& icon : icons_) icon.Reset();
    TheAddedTip().Destroy();
    // Stop raises the stop flag first; a worker that does not end in time is
    // terminated and leaves its mutex and the shared flag to this thread.
    Stop(kRefreshStopWait);
    ReleaseRefreshMutex();
    if (InterlockedExchange(&refreshFlagHeld_, 0)) SetRefreshInProgress(false);
    // Normally gone with code 21; a button destroyed without it must not
    // leave the browser calling into freed memory.
    DisconnectEventSink();
    pageBrowser_.Reset();
}

// ---- IDispatch face -------------------------------------------------------

STDMETHODIMP RssButton::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) RssButton::AddRef() {
    return 1;
}

STDMETHODIMP_(ULONG) RssButton::Release() {
    return 1;
}

// The sink has no type information; callers learn that instead of a null
// type description reported as success.
STDMETHODIMP RssButton::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP RssButton::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP RssButton::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    if (!ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP RssButton::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                               EXCEPINFO*, UINT*) {
    try {
        switch (id) {
            case DISPID_BEFORENAVIGATE2:
                OnBeforeNavigate2(FrameArgument(params), UrlArgument(params));
                break;
            case DISPID_NAVIGATECOMPLETE2:
                OnNavigateComplete2(FrameArgument(params), UrlArgument(params));
                break;
            case DISPID_DOCUMENTCOMPLETE:
                OnDocumentComplete(FrameArgument(params), UrlArgument(params));
                break;
            case DISPID_DOWNLOADCOMPLETE:
                OnDownloadComplete();
                break;
            case DISPID_ONQUIT:
                OnBrowserQuit();
                break;
            default:
                break;
        }
    } catch (...) {
        return E_FAIL;
    }
    return S_OK;
}

// ---- handlers -------------------------------------------------------------

LONG RssButton::OnInit(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d) {
    ToolbarButton::OnInit(record, host, code, c, d);
    LoadIcons();
    return 1;
}

LONG RssButton::OnVisibility(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                             LONG_PTR d) {
    ToolbarButton::OnVisibility(record, host, code, c, d);
    if (c) {
        pageBrowser_.QueryFrom(Host(), IID_IWebBrowser2);
        ConnectEventSink();
    } else {
        DisconnectEventSink();
        DetachDocumentClickSink();
    }
    EnsureStore();
    // Every visibility message restarts the countdown to the stale refresh.
    if (ToolbarWindow()) SetTimer(ToolbarWindow(), kTimerStaleRefresh, kStaleRefreshDelay, nullptr);
    return 1;
}

LONG RssButton::OnUserState(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                            LONG_PTR d) {
    ToolbarButton::OnUserState(record, host, code, c, d);
    return 1;
}

LONG RssButton::OnUserChanged(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                              LONG_PTR d) {
    ToolbarButton::OnUserChanged(record, host, code, c, d);
    return 1;
}

LONG RssButton::OnDropDown(HostRecord* record, ToolbarHost*, LONG, LONG_PTR, const RECT* screenRect,
                           BOOL hidden) {
    // A drop-down while this button's menu is open would free the menu
    // under the running menu loop.
    if (menuTracking_) return 1;
    HMENU popup = nullptr;
    HMENU loaded = LoadButtonMenu(&popup);
    if (!loaded) return 0;
    menu_.Reset();
    ButtonMenuState state;
    state.pageHasFeeds = HasPageFeeds();
    if (state.pageHasFeeds) SetFeedPresence(1);
    state.refreshing = RefreshInProgress();
    state.loggedIn = IsLoggedIn();
    if (menu_.Start(popup) && !AppendButtonMenuEntries(menu_.Get(), record, rssIni_, state))
        menu_.Reset();
    DestroyMenu(loaded);

    UINT chosen = 0;
    if (menu_.Get()) {
        RECT area = screenRect ? *screenRect : RECT{};
        TPMPARAMS params = {sizeof(params), area};
        UINT flags = TPM_RETURNCMD | (hidden ? TPM_RECURSE : 0);
        menuTracking_ = true;
        chosen = static_cast<UINT>(
            TrackPopupMenuEx(menu_.Get(), flags, area.left, area.bottom, ToolbarWindow(), &params));
        menuTracking_ = false;
    }
    if (unloaded_) return 1;
    OnMenuCommand(static_cast<WORD>(chosen));
    return 1;
}

LONG RssButton::OnClick(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR) {
    OnAddThisFeedCommand();
    return 0;
}

LONG RssButton::OnCommand(HostRecord*, ToolbarHost*, LONG, LONG_PTR c, LONG_PTR) {
    switch (c) {
        case kTimerFeedViewInjection:
            OnFeedViewInjectionTimer();
            break;
        case kTimerStaleRefresh:
            // Keeps firing until a stale refresh of this button starts; its
            // worker kills the timer.
            OnStaleRefreshTimer();
            break;
        case kTimerFeedPropertiesInjection:
            OnFeedPropertiesInjectionTimer();
            break;
        default:
            OnMenuCommand(static_cast<WORD>(c));
            break;
    }
    return 0;
}

LONG RssButton::OnUnload(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR) {
    unloaded_ = true;
    // A modal loop this call runs inside has to end before the object goes.
    for (auto dialog = modalDialogs_.rbegin(); dialog != modalDialogs_.rend(); ++dialog)
        (*dialog)->Close(IDCANCEL);
    if (menuTracking_) EndMenu();
    // The host and the browser outlive this object: nothing of theirs may
    // still point at it, and no timer of it may create a new button.
    DisconnectEventSink();
    DetachDocumentClickSink();
    if (HWND toolbar = ToolbarWindow()) {
        KillTimer(toolbar, kTimerFeedViewInjection);
        KillTimer(toolbar, kTimerStaleRefresh);
        KillTimer(toolbar, kTimerFeedPropertiesInjection);
    }
    return 0;
}

LONG RssButton::OnOther(HostRecord*, ToolbarHost*, LONG code, LONG_PTR c, LONG_PTR d) {
    switch (code) {
        case kCodeIconQuery:
            return AnswerIconQuery(c);
        case kCodeMeasureItem:
            return OnMeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(d));
        case kCodeItemIcon:
            return OnMenuItemIcon(reinterpret_cast<MenuIconQuery*>(c),
                                  reinterpret_cast<DRAWITEMSTRUCT*>(d));
        default:
            return 0;
    }
}

LONG RssButton::AnswerIconQuery(LONG_PTR c) {
    // While a refresh runs in any process the host keeps its current picture.
    if (RefreshInProgress()) return 0;
    auto* query = reinterpret_cast<IconQuery*>(c);
    if (!IsWritableMemory(query, sizeof(IconQuery))) return 0;
    query->mask = kIconQuerySetsIcon;
    query->icon = IconOf(feedPresence_ == 1 ? kIconFeed : kIconNoFeed);
    return 0;
}

int RssButton::StartRefresh(int mode, int number) {
    if (refreshMutex_) return 0;
    // The last worker has let go of its mutex: let it finish and take its
    // thread handle, so that Start can create the next one.
    Stop(kEndedWorkerWait);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kRefreshMutexName);
    if (!mutex) return 0;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return 0;
    }
    refreshMode_ = mode;
    if (mode == kRefreshOne && number) refreshIndex_ = number;
    lstrcpynW(refreshIni_, rssIni_, MAX_PATH);
    refreshToolbar_ = ToolbarWindow();
    refreshCommandId_ = CommandId();
    refreshStop_.Reset();
    refreshMutex_ = mutex;
    if (!Start()) {
        // A mutex without a worker would refuse every refresh of the session.
        ReleaseRefreshMutex();
        return 0;
    }
    return 1;
}

int RssButton::Run() {
    InterlockedExchange(&refreshFlagHeld_, 1);
    SetRefreshInProgress(true);
    PostMessageW(refreshToolbar_, kToolbarNotify, kNotifyRefreshStarted, refreshCommandId_);
    switch (refreshMode_) {
        case kRefreshOne:
            RefreshSubscription(refreshIni_, refreshIndex_, &refreshStop_);
            break;
        case kRefreshAll:
            RefreshAll(refreshIni_, &refreshStop_);
            break;
        case kRefreshStale:
            KillTimer(refreshToolbar_, kTimerStaleRefresh);
            RefreshStale(refreshIni_, &refreshStop_);
            break;
        case kRefreshImported:
            RefreshImported(refreshIni_, &refreshStop_);
            break;
        default:
            break;
    }
    ReleaseRefreshMutex();
    PostMessageW(refreshToolbar_, kToolbarNotify, kNotifyRefreshEnded, refreshCommandId_);
    if (InterlockedExchange(&refreshFlagHeld_, 0)) SetRefreshInProgress(false);
    return 0;
}

void RssButton::StartImportedRefresh() {
    if (StartRefresh(kRefreshImported)) return;
    // The stale refresh timer keeps trying until a refresh can start.
    if (ToolbarWindow()) SetTimer(ToolbarWindow(), kTimerStaleRefresh, kStaleRefreshDelay, nullptr);
}

void RssButton::OnStopRequested() {
    refreshStop_.Cancel();
}

void RssButton::ReleaseRefreshMutex() {
    auto mutex = static_cast<HANDLE>(
        InterlockedExchangePointer(const_cast<PVOID volatile*>(&refreshMutex_), nullptr));
    if (mutex) CloseHandle(mutex);
}

void RssButton::ShowTip(const wchar_t* text) {
    HWND toolbar = ToolbarWindow();
    if (!toolbar) return;
    RECT rect = {};
    if (Host()) Host()->GetButtonRect(CommandId(), &rect);
    POINT point;
    if (rect.left || rect.top || rect.right || rect.bottom) {
        point = {rect.left, rect.bottom + 2};
    } else {
        GetCursorPos(&point);
        ScreenToClient(toolbar, &point);
    }
    TheAddedTip().Show(toolbar, point, text);
}

// ---- hooks filled by the page, menu and refresh features ------------------

// Events of inner frames say nothing about the page as a whole.
void RssButton::OnBeforeNavigate2(IDispatch* frame, const wchar_t*) {
    if (!IsTopLevelFrame(frame, PageBrowser())) return;
    DetachDocumentClickSink();
    feedPresence_ = -1;
}

void RssButton::OnNavigateComplete2(IDispatch* frame, const wchar_t* url) {
    if (!IsTopLevelFrame(frame, PageBrowser()) || !url || !url[0]) return;
    if (feedPresence_ == -1) feedPresence_ = HasPageFeeds() ? 1 : 0;
}

// Link elements may exist only once the document is complete, so a page
// found empty before is examined again.
void RssButton::OnDocumentComplete(IDispatch* frame, const wchar_t* url) {
    if (!IsTopLevelFrame(frame, PageBrowser()) || !url || !url[0]) return;
    if (feedPresence_ != 1) feedPresence_ = HasPageFeeds() ? 1 : 0;
    if (!browserIs7OrLater_) return;
    feedView_.InjectFeedViewButton(PageBrowser());
    feedView_.InjectFeedPropertiesButton(PageBrowser());
}

void RssButton::OnDownloadComplete() {
    if (browserIs7OrLater_) feedView_.OnDownloadComplete(PageBrowser());
}

void RssButton::OnBrowserQuit() {
    DetachDocumentClickSink();
}

void RssButton::OnFeedViewInjectionTimer() {
    feedView_.InjectFeedViewButton(PageBrowser());
}

void RssButton::OnStaleRefreshTimer() {
    StartRefresh(kRefreshStale);
}

void RssButton::OnFeedPropertiesInjectionTimer() {
    feedView_.InjectFeedPropertiesButton(PageBrowser());
}

void RssButton::OnMenuCommand(WORD id) {
    switch (id) {
        case kCmdCustomAdd:
            OnCustomAddCommand();
            return;
        case kCmdAddThisFeed:
            OnAddThisFeedCommand();
            return;
        case kCmdManage:
            OnManageCommand();
            return;
        case kCmdRefreshAll:
            StartRefresh(kRefreshAll);
            return;
        case kCmdWebReader:
            OnWebReaderCommand();
            return;
        case kCmdWebReaderLogin:
            if (Host()) Host()->RunCommand(kHostCommandLogin, 12, 164, 0);
            return;
        default:
            break;
    }
    SubscriptionEntry entry;
    if (!DecodeSubscriptionCommand(id, &entry) || entry.number < 1) return;
    if (IsItemEntry(entry.entry)) {
        OpenItem(entry.number, entry.entry);
    } else if (entry.entry == kEntryRefresh) {
        StartRefresh(kRefreshOne, entry.number);
    } else if (entry.entry == kEntryOpenSite) {
        OpenSite(entry.number);
    }
}

void RssButton::OpenItem(int number, int k) {
    std::wstring cache = FeedCachePath(number);
    if (!Host() || !FileExists(cache.c_str())) return;
    std::wstring link = ReadIniString(cache.c_str(), NumberedSection(L"item", k).c_str(), L"link");
    if (link.empty()) return;
    Host()->OpenAddress(link.c_str(), 0);
    MarkItemRead(historyIni_, number, link.c_str());
}

void RssButton::OpenSite(int number) {
    std::wstring site = ReadIniString(rssIni_, NumberedSection(L"rss", number).c_str(), L"htmlUrl");
    if (Host() && !site.empty()) Host()->OpenAddress(site.c_str(), 0);
}

bool RssButton::HasPageFeeds() {
    return ::HasPageFeeds(PageBrowser());
}

// Does what a press does: the dialog that fits the number of feeds the page
// advertises, collected afresh.
void RssButton::OnAddThisFeedCommand() {
    if (feedPresence_ == -1 && !HasPageFeeds()) feedPresence_ = 0;
    if (feedPresence_ == 0) {
        OpenCustomAddDialog();
        return;
    }
    FeedLinkList feeds;
    int count = CollectPageFeeds(PageBrowser(), &feeds);
    if (count >= 2) {
        OpenAddFeedsDialog(feeds);
        return;
    }
    OpenAddDialogForPage(count, count > 0 ? feeds[0].url : nullptr);
}

void RssButton::OnCustomAddCommand() {
    OpenCustomAddDialog();
}

void RssButton::OpenAddDialogForPage(int feedCount, const wchar_t* firstAddress) {
    if (feedCount == 1 && firstAddress) {
        OpenAddFeedDialog(firstAddress);
    } else if (feedCount <= 0) {
        OpenCustomAddDialog();
    }
    // Two or more feeds go to the add-several dialog, which needs them all.
}

void RssButton::OpenAddFeedsDialog(const FeedLinkList& feeds) {
    addFeedsDialog_.Open(feeds);
}

void RssButton::OpenCustomAddDialog() {
    customAddDialog_.Open();
}

void RssButton::OpenAddFeedDialog(const wchar_t* address) {
    addFeedDialog_.Open(address);
}

bool RssButton::ReaderSubscribe(const wchar_t* address) {
    return ::ReaderSubscribe(Host(), UserNumber(), address);
}

void RssButton::PushModalDialog(DialogBase* dialog) {
    modalDialogs_.push_back(dialog);
}

void RssButton::PopModalDialog(DialogBase* dialog) {
    for (auto it = modalDialogs_.begin(); it != modalDialogs_.end(); ++it) {
        if (*it == dialog) {
            modalDialogs_.erase(it);
            return;
        }
    }
}

void RssButton::OnManageCommand() {
    ManageFeedsDialog dialog(this);
    dialog.Open(ToolbarWindow());
}

void RssButton::OnWebReaderCommand() {
    EnterWebReader(Host(), UserNumber());
}

LONG RssButton::OnMeasureMenuItem(MEASUREITEMSTRUCT* measure) {
    MeasureButtonMenuItem(measure, ToolbarWindow());
    return 0;
}

LONG RssButton::OnMenuItemIcon(MenuIconQuery* query, DRAWITEMSTRUCT* draw) {
    if (!IsReadableMemory(draw, sizeof(*draw)) || !IsWritableMemory(query, sizeof(*query)))
        return 0;
    int id = ButtonMenuItemIcon(draw, historyIni_);
    if (HICON icon = IconOfResource(id)) query->icon = icon;
    return 0;
}

HICON RssButton::IconOfResource(int id) const {
    for (int i = 0; i < kIconCount; ++i) {
        if (kIconResources[i] == id) return icons_[i].Get();
    }
    return nullptr;
}

void RssButton::DetachDocumentClickSink() {
    feedView_.DetachClickSink();
}

// ---- helpers --------------------------------------------------------------

void RssButton::LoadIcons() {
    for (int i = 0; i < kIconCount; ++i) {
        if (!icons_[i].Get()) icons_[i].LoadSmall(ModuleInstance(), kIconResources[i]);
    }
}

void RssButton::EnsureStore() {
    RssDataPath(rssIni_, L"rss.ini");
    RssDataPath(historyIni_, L"history.ini");
    if (rssIni_[0] && historyIni_[0]) EnsureStoreFiles(rssIni_, historyIni_);
}

void RssButton::ConnectEventSink() {
    if (!Host() || eventCookie_) return;
    DWORD cookie = 0;
    if (SUCCEEDED(Host()->ConnectBrowserEvents(static_cast<IDispatch*>(this), &cookie))) {
        eventCookie_ = cookie;
    }
}

void RssButton::DisconnectEventSink() {
    if (!eventCookie_) return;
    if (Host()) Host()->DisconnectBrowserEvents(eventCookie_);
    eventCookie_ = 0;
}
