#include "PageDemo.h"

#include <windows.h>

#include <cstdio>

#include "DialogDemo.h"
#include "browser/HtmlDocumentStandin.h"
#include "browser/WebBrowserStandin.h"
#include "core/HostProtocol.h"
#include "host/HostToolbar.h"
#include "res/resource.h"

namespace {

int IconResource(HostToolbar& host) {
    IconQuery answer = host.QueryIcon();
    return answer.mask ? host.IconResourceOf(answer.icon) : -1;
}

HWND AddFeedWindow() {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", L"添加RSS订阅")) != nullptr)
        if (GetDlgItem(window, IDC_FEED_ADDRESS)) return window;
    return nullptr;
}

// A navigation as the browser reports it; the document replaces the last.
void Navigate(HostToolbar& host, HtmlDocumentStandin* document, const std::wstring& url) {
    WebBrowserStandin* browser = host.Browser();
    browser->FireBeforeNavigate2(url);
    browser->SetDocument(document->AsDispatch());
    browser->SetLocation(url, L"");
    browser->FireNavigateComplete2(url);
    browser->FireDocumentComplete(url);
}

// Returns the feed address the dialog showed.
std::wstring ShowPageWithFeed(HostToolbar& host, const std::wstring& pageAddress,
                              const std::wstring& feedHref, const std::wstring& pictureFolder) {
    HtmlPage page;
    page.links.push_back({{{L"rel", L"alternate"},
                           {L"type", L"application/rss+xml"},
                           {L"title", L"Demo feed"},
                           {L"href", feedHref}}});
    HtmlDocumentStandin* document = HtmlDocumentStandin::Create(page);
    printf("page: button icon %d before the page\n", IconResource(host));
    Navigate(host, document, pageAddress);
    printf("page: button icon %d on %ls (109 = feed found)\n", IconResource(host),
           pageAddress.c_str());
    host.Send(kCodePressed);
    host.Pump(500);
    HWND dialog = AddFeedWindow();
    wchar_t address[300] = L"";
    if (dialog) GetDlgItemTextW(dialog, IDC_FEED_ADDRESS, address, 300);
    printf("page: press opened %s for %ls\n", dialog ? "the add-this-feed dialog" : "NO dialog",
           address);
    if (dialog && !pictureFolder.empty()) {
        std::wstring path = pictureFolder + L"\\page_add_feed_dialog.bmp";
        printf("page: picture %ls %s\n", path.c_str(),
               SaveWindowPicture(dialog, path) ? "saved" : "NOT saved");
    }
    if (dialog) SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    document->Release();
    return address;
}

void ShowFeedView(HostToolbar& host, const std::wstring& feedAddress) {
    HtmlPage view;
    view.elements = {{L"header", L"<H1>Demo feed</H1>"},
                     {L"_subscribe_", L""},
                     {L"_subscribeheader_",
                      L"<DIV>您正在查看包含经常更新内容的源。</DIV><A href=\"#\">进一步了解源。</A>"
                      L"</A></DIV>\r\n"}};
    HtmlDocumentStandin* document = HtmlDocumentStandin::Create(view);
    Navigate(host, document, feedAddress);
    printf("feed view: subscribe header now reads\n  %ls\n",
           document->Element(L"_subscribeheader_")->InnerHtml().c_str());
    document->ClickMarkup(L"IMG", L"RssFeedAdd");
    HWND dialog = AddFeedWindow();
    printf("feed view: clicking the control opened %s\n",
           dialog ? "the add-this-feed dialog" : "NO dialog");
    if (dialog) SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    host.Browser()->SetDocument(nullptr);
    document->Release();
}

}  // namespace

void RunPageDemo(HostToolbar& host, const std::wstring& pageAddress, const std::wstring& feedHref,
                 const std::wstring& pictureFolder) {
    std::wstring feedAddress = ShowPageWithFeed(host, pageAddress, feedHref, pictureFolder);
    ShowFeedView(host, feedAddress.empty() ? pageAddress : feedAddress);
}
