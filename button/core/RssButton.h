#pragma once
#include <windows.h>
#include <exdisp.h>

#include <vector>

#include "common/ComRef.h"
#include "common/IconHandle.h"
#include "core/OwnerDrawMenu.h"
#include "core/ToolbarButton.h"
#include "core/WorkerThread.h"
#include "dialogs/AddFeedDialog.h"
#include "dialogs/AddFeedsDialog.h"
#include "dialogs/CustomAddDialog.h"
#include "page/FeedViewControl.h"
#include "web/DownloadGuard.h"

// The feed button, one per host key. Its IDispatch face is the browser event
// sink; the button table owns the object, so the face counts no references.
class RssButton : public IDispatch, public WorkerThread, public ToolbarButton {
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

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    const wchar_t* RssIniPath() const { return rssIni_; }
    const wchar_t* HistoryIniPath() const { return historyIni_; }
    HICON IconOf(Icon icon) const { return icons_[icon].Get(); }
    // -1 not examined, 0 no feed, 1 the page advertises a feed.
    int FeedPresence() const { return feedPresence_; }
    bool BrowserIs7OrLater() const { return browserIs7OrLater_; }
    bool IsEventSinkConnected() const { return eventCookie_ != 0; }

    // Shows the confirmation tip under the button (at the cursor when the
    // host does not know where the button is).
    void ShowTip(const wchar_t* text);

    // Subscribes address in the web reader as well, for the login state's
    // user with the host's login; the add dialogs call it after adding when
    // the user is logged in and asked for it. Blocks until the service
    // answers. Virtual so that tests can record the calls instead.
    virtual bool ReaderSubscribe(const wchar_t* address);
    // The modeless add dialogs, owned by the toolbar window; one already open
    // is only brought forward with what it shows.
    void OpenCustomAddDialog();
    void OpenAddFeedDialog(const wchar_t* address);
    // The button press: the add-this-feed dialog for a page with one feed,
    // the custom-add dialog for a page without.
    void OpenAddDialogForPage(int feedCount, const wchar_t* firstAddress);
    // The add-several dialog for a page with two or more feeds, on a copy of
    // them; one already open is only brought forward.
    void OpenAddFeedsDialog(const FeedLinkList& feeds);

    // kRefreshImported: the imported subscriptions still without a cache.
    enum RefreshMode { kRefreshOne = 1, kRefreshAll = 2, kRefreshStale = 3, kRefreshImported = 4 };
    // Starts the refresh worker unless a refresh runs anywhere in the log-on
    // session; number is the subscription of kRefreshOne. 1 when started.
    int StartRefresh(int mode, int number = 0);
    // Fetches what an import added, in the background: now, or when a
    // refresh running elsewhere has ended, by the stale refresh (imported
    // subscriptions were never refreshed, so they are stale).
    void StartImportedRefresh();
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
    void PushModalDialog(DialogBase* dialog);
    void PopModalDialog(DialogBase* dialog);

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

    // The refresh worker.
    int Run() override;
    // Raised by Stop: the worker leaves between subscriptions and its
    // running download is aborted.
    void OnStopRequested() override;

    // Browser events delivered to the sink. frame is the frame that
    // navigated (the browser itself for the top-level page).
    virtual void OnBeforeNavigate2(IDispatch* frame, const wchar_t* url);
    virtual void OnNavigateComplete2(IDispatch* frame, const wchar_t* url);
    virtual void OnDocumentComplete(IDispatch* frame, const wchar_t* url);
    virtual void OnDownloadComplete();
    virtual void OnBrowserQuit();

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
    void ConnectEventSink();
    void DisconnectEventSink();
    LONG AnswerIconQuery(LONG_PTR c);
    HICON IconOfResource(int id) const;
    void OpenItem(int number, int k);
    void OpenSite(int number);
    void ReleaseRefreshMutex();

    wchar_t rssIni_[MAX_PATH] = {};
    wchar_t historyIni_[MAX_PATH] = {};
    // What the worker uses, fixed when it starts.
    int refreshMode_ = 0;
    int refreshIndex_ = 0;
    wchar_t refreshIni_[MAX_PATH] = {};
    HWND refreshToolbar_ = nullptr;
    WORD refreshCommandId_ = 0;
    // Taken by whichever thread closes it first: the worker at its end or
    // the destructor after a terminated worker.
    HANDLE volatile refreshMutex_ = nullptr;
    // Set while the worker holds the shared refresh flag at 1.
    volatile LONG refreshFlagHeld_ = 0;
    DownloadCancel refreshStop_;
    OwnerDrawMenu menu_;
    bool menuTracking_ = false;
    int callDepth_ = 0;
    bool unloaded_ = false;
    std::vector<DialogBase*> modalDialogs_;
    IconHandle icons_[kIconCount];
    bool browserIs7OrLater_ = false;
    ComRef<IWebBrowser2> pageBrowser_;
    DWORD eventCookie_ = 0;
    int feedPresence_ = -1;
    // The subscribe control in the browser's feed view and its click sink.
    FeedViewControl feedView_{this};
    // Last, so that they close first: their threads use the paths above.
    AddFeedDialog addFeedDialog_{this};
    CustomAddDialog customAddDialog_{this};
    AddFeedsDialog addFeedsDialog_{this};
};
