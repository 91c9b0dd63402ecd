#include "core/RssButton.h"

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

}  // namespace

RssButton::RssButton() {
    browserIs7OrLater_ = BrowserMajorVersion() >= 7;
    EnsureStore();
}

RssButton::~RssButton() {
    for (IconHandle& icon : icons_) icon.Reset();
    TheAddedTip().Destroy();
    refresh_.Shutdown();
    // Normally gone with code 21; a button destroyed without it must not
    // leave the browser calling into freed memory.
    events_.Disconnect(Host());
    pageBrowser_.Reset();
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
        events_.Connect(Host());
    } else {
        events_.Disconnect(Host());
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
    events_.Disconnect(Host());
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
    return refresh_.StartRefresh(mode, number, rssIni_, ToolbarWindow(), CommandId());
}

void RssButton::StartImportedRefresh() {
    if (StartRefresh(RefreshWorker::kRefreshImported)) return;
    // The stale refresh timer keeps trying until a refresh can start.
    if (ToolbarWindow()) SetTimer(ToolbarWindow(), kTimerStaleRefresh, kStaleRefreshDelay, nullptr);
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
    StartRefresh(RefreshWorker::kRefreshStale);
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
            StartRefresh(RefreshWorker::kRefreshAll);
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
        StartRefresh(RefreshWorker::kRefreshOne, entry.number);
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
