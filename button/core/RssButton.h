#pragma once
#include <windows.h>
#include <exdisp.h>

#include <vector>

#include "common/ComRef.h"
#include "common/IconHandle.h"
#include "core/BrowserEventSink.h"
#include "core/OwnerDrawMenu.h"
#include "core/RefreshWorker.h"
#include "core/ToolbarButton.h"
#include "dialogs/AddFeedDialog.h"
#include "dialogs/AddFeedsDialog.h"
#include "dialogs/CustomAddDialog.h"
#include "dialogs/DialogOwner.h"
#include "page/FeedViewControl.h"
#include "page/FeedViewOwner.h"

// The feed button, one per host key: it owns its browser event sink, its
// refresh worker, its dialogs and its drop-down. The dialogs and the feed-view
// control reach it through the owner interfaces they declare.
class RssButton : public ToolbarButton,
                  public DialogOwner,
                  public FeedViewOwner,
                  private BrowserEventHandler {
public:
    // Which of the six icons; each is the 16x16 image of its resource.
    enum Icon {
        kIconFeed,
        kIconNoFeed,
        kIconSubmenu,
        kIconUnread,
        kIconRead,
        kIconWebReader,
        kIconCount
    };

    RssButton();
    ~RssButton() override;

    const wchar_t* RssIniPath() const override { return rssIni_; }
    const wchar_t* HistoryIniPath() const override { return historyIni_; }
    HWND OwnerWindow() const override { return ToolbarWindow(); }
    bool ReaderLoggedIn() const override { return IsLoggedIn(); }
    HICON IconOf(Icon icon) const { return icons_[icon].Get(); }
    // -1 not examined, 0 no feed, 1 the page advertises a feed.
    int FeedPresence() const { return feedPresence_; }
    bool BrowserIs7OrLater() const { return browserIs7OrLater_; }
    bool IsEventSinkConnected() const { return events_.IsConnected(); }

    // Shows the confirmation tip under the button (at the cursor when the
    // host does not know where the button is).
    void ShowTip(const wchar_t* text) override;

    // Subscribes address in the web reader as well, for the login state's
    // user with the host's login; the add dialogs call it after adding when
    // the user is logged in and asked for it. Blocks until the service
    // answers. Virtual so that tests can record the calls instead.
    bool ReaderSubscribe(const wchar_t* address) override;
    // The modeless add dialogs, owned by the toolbar window; one already open
    // is only brought forward with what it shows.
    void OpenCustomAddDialog();
    void OpenAddFeedDialog(const wchar_t* address) override;
    // The button press: the add-this-feed dialog for a page with one feed,
    // the custom-add dialog for a page without.
    void OpenAddDialogForPage(int feedCount, const wchar_t* firstAddress);
    // The add-several dialog for a page with two or more feeds, on a copy of
    // them; one already open is only brought forward.
    void OpenAddFeedsDialog(const FeedLinkList& feeds);

    // Starts the refresh worker (RefreshWorker::Mode) unless a refresh runs
    // anywhere in the log-on session; number is the subscription of
    // kRefreshOne. 1 when started.
    int StartRefresh(int mode, int number = 0);
    // Fetches what an import added, in the background: now, or when a
    // refresh running elsewhere has ended, by the stale refresh (imported
    // subscriptions were never refreshed, so they are stale).
    void StartImportedRefresh() override;
    // The owner-drawn copy of the last drop-down, null before the first.
    HMENU DropDownMenu() const { return menu_.Get(); }

    // A host call can run a modal loop (the drop-down, the manage dialog) in
    // which the host unloads the button. The object then has to outlive the
    // outermost call: LeaveCall is true when that call has ended and the
    // button was unloaded meanwhile, and the caller deletes it.
    void EnterCall() { ++callDepth_; }
    bool LeaveCall() { return --callDepth_ == 0 && unloaded_; }
    bool InCall() const { return callDepth_ > 0; }
    // The modal dialogs running inside host calls, innermost last; unloading
    // ends them all.
    void PushModalDialog(DialogBase* dialog) override;
    void PopModalDialog(DialogBase* dialog) override;

protected:
    LONG OnInit(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d) override;
    LONG OnVisibility(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                      LONG_PTR d) override;
    LONG OnUserState(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                     LONG_PTR d) override;
    LONG OnUserChanged(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                       LONG_PTR d) override;
    LONG OnDropDown(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                    const RECT* screenRect, BOOL hidden) override;
    LONG OnClick(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d) override;
    LONG OnCommand(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                   LONG_PTR d) override;
    LONG OnUnload(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                  LONG_PTR d) override;
    LONG OnOther(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d) override;

    // Browser events delivered to the sink. frame is the frame that
    // navigated (the browser itself for the top-level page).
    void OnBeforeNavigate2(IDispatch* frame, const wchar_t* url) override;
    void OnNavigateComplete2(IDispatch* frame, const wchar_t* url) override;
    void OnDocumentComplete(IDispatch* frame, const wchar_t* url) override;
    void OnDownloadComplete() override;
    void OnBrowserQuit() override;

    // Timer actions relayed as commands.
    virtual void OnFeedViewInjectionTimer();
    virtual void OnStaleRefreshTimer();
    virtual void OnFeedPropertiesInjectionTimer();
    // A menu command chosen from the drop-down (never a timer, even where an
    // item's identifier equals one).
    virtual void OnMenuCommand(WORD id);
    // Menu entries whose features live elsewhere: page detection, the add,
    // manage and web reader parts fill them in.
    virtual bool HasPageFeeds();
    virtual void OnAddThisFeedCommand();
    virtual void OnCustomAddCommand();
    virtual void OnManageCommand();
    virtual void OnWebReaderCommand();
    // Code 9 and 10: the host measures and draws the owner-drawn menu.
    virtual LONG OnMeasureMenuItem(MEASUREITEMSTRUCT* measure);
    virtual LONG OnMenuItemIcon(MenuIconQuery* query, DRAWITEMSTRUCT* draw);
    // Releases the click sink of the browser's feed view, when attached.
    virtual void DetachDocumentClickSink();

    IWebBrowser2* PageBrowser() const { return pageBrowser_.Get(); }
    void SetFeedPresence(int state) { feedPresence_ = state; }

private:
    void LoadIcons();
    void EnsureStore();
    LONG AnswerIconQuery(LONG_PTR c);
    HICON IconOfResource(int id) const;
    void OpenItem(int number, int k);
    void OpenSite(int number);

    wchar_t rssIni_[MAX_PATH] = {};
    wchar_t historyIni_[MAX_PATH] = {};
    RefreshWorker refresh_;
    OwnerDrawMenu menu_;
    bool menuTracking_ = false;
    int callDepth_ = 0;
    bool unloaded_ = false;
    std::vector<DialogBase*> modalDialogs_;
    IconHandle icons_[kIconCount];
    bool browserIs7OrLater_ = false;
    ComRef<IWebBrowser2> pageBrowser_;
    BrowserEventSink events_{this};
    int feedPresence_ = -1;
    // The subscribe control in the browser's feed view and its click sink.
    FeedViewControl feedView_{this};
    // Last, so that they close first: their threads use the paths above.
    AddFeedDialog addFeedDialog_{this};
    CustomAddDialog customAddDialog_{this};
    AddFeedsDialog addFeedsDialog_{this};
};
