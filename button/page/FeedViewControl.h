#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>

#include "page/DocumentClickSink.h"
#include "page/FeedViewOwner.h"

// The button's own subscribe control in the browser's built-in feed view and
// in its properties area, found by the view's element ids, and the click
// sink that opens the add-this-feed dialog when the control is clicked.
// Retries while the view is still being built run on the toolbar window's
// timers 0x4001 and 0x4003, which the host relays back as commands.
class FeedViewControl : private DocumentClickSink::Owner {
public:
    static constexpr size_t kAddressChars = 2084;
    static constexpr UINT kRetryPeriod = 200;

    explicit FeedViewControl(FeedViewOwner* button) : button_(button), clickSink_(this) {}
    FeedViewControl(const FeedViewControl&) = delete;
    FeedViewControl& operator=(const FeedViewControl&) = delete;

    void InjectFeedViewButton(IWebBrowser2* browser);
    void InjectFeedPropertiesButton(IWebBrowser2* browser);
    // Puts the control back when the feed view saved at the last insertion
    // rebuilt its content without a new navigation, and puts it in at all
    // while no insertion has saved an address yet.
    void OnDownloadComplete(IWebBrowser2* browser);
    void DetachClickSink() { clickSink_.Detach(); }
    bool IsClickSinkAttached() const { return clickSink_.IsAttached(); }
    // The page address of the last successful insertion, empty before.
    const wchar_t* FeedViewAddress() const { return feedViewAddress_; }

private:
    struct Site;
    static const Site kFeedView;
    static const Site kProperties;

    void Inject(IWebBrowser2* browser, const Site& site);
    bool InsertMarkup(IHTMLElement* target, const Site& site, const wchar_t* address);
    void Reattach(IWebBrowser2* browser);
    void OnDocumentClick(IHTMLElement* element) override;
    void KillRetryTimers();

    FeedViewOwner* button_;
    DocumentClickSink clickSink_;
    // The browser whose document the sink was last attached to.
    ComRef<IWebBrowser2> browser_;
    wchar_t feedViewAddress_[kAddressChars] = {};
};
