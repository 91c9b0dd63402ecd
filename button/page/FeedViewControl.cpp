#include "page/FeedViewControl.h"

#include <shlwapi.h>

#include <cwchar>
#include <string>

#include "core/HostProtocol.h"
#include "core/Module.h"
#include "page/ControlMarkup.h"
#include "page/PageDocument.h"
#include "res/resource.h"

namespace {

// The formatted markup fits 519 characters; anchor texts 18 characters.
constexpr size_t kMarkupChars = 520;
constexpr int kAnchorChars = 19;
// The insertion point lies this far behind the anchor text's end: past the
// closing of the view's own link.
constexpr size_t kBehindAnchor = 11;

std::wstring LoadText(UINT id, int capacity) {
    std::wstring text(static_cast<size_t>(capacity), L'\0');
    int length = LoadStringW(ModuleInstance(), id, &text[0], capacity);
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

bool ReadInnerHtml(IHTMLElement* element, std::wstring* html) {
    BSTR text = nullptr;
    if (FAILED(element->get_innerHTML(&text))) return false;
    html->assign(text ? text : L"", text ? SysStringLen(text) : 0);
    SysFreeString(text);
    return true;
}

bool WriteInnerHtml(IHTMLElement* element, const std::wstring& html) {
    BSTR text = SysAllocStringLen(html.c_str(), static_cast<UINT>(html.size()));
    if (!text) return false;
    HRESULT hr = element->put_innerHTML(text);
    SysFreeString(text);
    return SUCCEEDED(hr);
}

}  // namespace

// Where one of the two controls goes and what it consists of.
struct FeedViewControl::Site {
    const wchar_t* marker;  // id of the inserted control
    const wchar_t* area;    // its absence means the view is still being built
    UINT_PTR timer;
    const wchar_t* target;  // the element that receives the markup
    UINT anchorText;
    UINT markup;
};

const FeedViewControl::Site FeedViewControl::kFeedView = {
    L"RssFeedAdd",        L"_subscribe_",       kTimerFeedViewInjection,
    L"_subscribeheader_", IDS_FEED_VIEW_ANCHOR, IDS_FEED_VIEW_MARKUP};
const FeedViewControl::Site FeedViewControl::kProperties = {
    L"RssViewFeedAdd",     L"_viewfeedprop_",          kTimerFeedPropertiesInjection,
    L"_viewfeedprop_div_", IDS_FEED_PROPERTIES_ANCHOR, IDS_FEED_PROPERTIES_MARKUP};

void FeedViewControl::InjectFeedViewButton(IWebBrowser2* browser) {
    Inject(browser, kFeedView);
}

void FeedViewControl::InjectFeedPropertiesButton(IWebBrowser2* browser) {
    Inject(browser, kProperties);
}

void FeedViewControl::OnDownloadComplete(IWebBrowser2* browser) {
    // Nothing saved yet matches every page: a view whose texts came late has
    // had no insertion to save an address from.
    size_t saved = wcslen(feedViewAddress_);
    std::wstring address = PageAddress(browser);
    if (address.compare(0, saved, feedViewAddress_) != 0) return;
    InjectFeedViewButton(browser);
    InjectFeedPropertiesButton(browser);
}

void FeedViewControl::Inject(IWebBrowser2* browser, const Site& site) {
    ComRef<IHTMLDocument2> document2;
    ComRef<IHTMLDocument3> document3;
    if (!PageDocuments(browser, &document2, &document3)) return;
    ComRef<IHTMLElement> body;
    IHTMLElement* rawBody = nullptr;
    if (FAILED(document2->get_body(&rawBody)) || !rawBody) return;
    *body.Receive() = rawBody;

    ComRef<IHTMLElement> element;
    if (FindElement(document3.Get(), site.marker, &element)) {
        KillRetryTimers();
        return;
    }
    if (!FindElement(document3.Get(), L"header", &element)) return;
    HWND toolbar = button_->OwnerWindow();
    if (!FindElement(document3.Get(), site.area, &element)) {
        if (toolbar) SetTimer(toolbar, site.timer, kRetryPeriod, nullptr);
        return;
    }
    if (toolbar) KillTimer(toolbar, site.timer);
    ComRef<IHTMLElement> target;
    if (!FindElement(document3.Get(), site.target, &target)) return;

    std::wstring address = PageAddress(browser);
    if (!InsertMarkup(target.Get(), site, address.c_str())) return;
    // Even when the page refused the markup the sink follows this document.
    Reattach(browser);
    lstrcpynW(feedViewAddress_, address.c_str(), static_cast<int>(kAddressChars));
}

// False when the anchor text is missing or at the very start, so that the
// page is left alone; true once the markup was offered to the page.
bool FeedViewControl::InsertMarkup(IHTMLElement* target, const Site& site, const wchar_t* address) {
    std::wstring html;
    if (!ReadInnerHtml(target, &html)) return false;
    std::wstring anchor = LoadText(site.anchorText, kAnchorChars);
    if (anchor.empty()) return false;
    const wchar_t* found = StrStrIW(html.c_str(), anchor.c_str());
    if (!found || found == html.c_str()) return false;
    size_t position = static_cast<size_t>(found - html.c_str()) + anchor.size() + kBehindAnchor;
    if (position > html.size()) position = html.size();

    std::wstring templ = LoadText(site.markup, static_cast<int>(kMarkupChars));
    std::wstring markup = FormatControlMarkup(templ.c_str(), address, kMarkupChars - 1);
    if (markup.empty()) return false;
    html.insert(position, markup);
    WriteInnerHtml(target, html);
    return true;
}

void FeedViewControl::Reattach(IWebBrowser2* browser) {
    clickSink_.Detach();
    browser_.Assign(browser);
    ComRef<IDispatch> document;
    if (BrowserDocument(browser, &document)) clickSink_.Attach(document.Get());
}

void FeedViewControl::OnDocumentClick(IHTMLElement* element) {
    BSTR id = nullptr;
    if (FAILED(element->get_id(&id))) return;
    bool onControl = id && (wcsstr(id, L"RssViewFeedAdd") || wcsstr(id, L"RssFeedAdd"));
    SysFreeString(id);
    if (!onControl) return;
    wchar_t address[MAX_PATH] = {};
    lstrcpynW(address, PageAddress(browser_.Get()).c_str(), MAX_PATH);
    button_->OpenAddFeedDialog(address);
}

void FeedViewControl::KillRetryTimers() {
    if (HWND toolbar = button_->OwnerWindow()) {
        KillTimer(toolbar, kTimerFeedViewInjection);
        KillTimer(toolbar, kTimerFeedPropertiesInjection);
    }
}
