#pragma once
// Helpers of the page tests: the real plug-in on the host toolbar stand-in
// whose browser shows stand-in documents, and the add windows it opens.
#include <windows.h>

#include <string>
#include <vector>

#include "ButtonSceneSupport.h"
#include "browser/HtmlDocumentStandin.h"
#include "browser/WebBrowserStandin.h"
#include "res/resource.h"

namespace pagetest {

constexpr int kAddSeveralList = 1012;

inline HtmlPage::Link FeedLinkOf(const std::wstring& type, const std::wstring& href,
                                 const std::wstring& title = L"") {
    HtmlPage::Link link;
    link.attributes = {{L"rel", L"alternate"}, {L"type", type}, {L"href", href}};
    if (!title.empty()) link.attributes.push_back({L"title", title});
    return link;
}

inline HtmlPage::Link RssLink(const std::wstring& href, const std::wstring& title = L"") {
    return FeedLinkOf(L"application/rss+xml", href, title);
}

inline std::wstring PageUrl(const std::wstring& path) {
    return L"http://" + feedtest::ServerHost() + path;
}

// The dialog windows of this thread with the caption text.
struct CaptionSearch {
    const wchar_t* caption;
    std::vector<HWND> found;
};

inline BOOL CALLBACK TakeTitledWindow(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<CaptionSearch*>(param);
    wchar_t text[64] = L"";
    GetWindowTextW(window, text, 64);
    if (IsWindowVisible(window) && lstrcmpW(text, s->caption) == 0) s->found.push_back(window);
    return TRUE;
}

inline std::vector<HWND> DialogsTitled(const wchar_t* caption) {
    CaptionSearch search = {caption, {}};
    EnumThreadWindows(GetCurrentThreadId(), &TakeTitledWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The open window of one dialog template, found by a control only it has.
inline HWND DialogWith(const wchar_t* caption, int control) {
    for (HWND window : DialogsTitled(caption))
        if (GetDlgItem(window, control)) return window;
    return nullptr;
}
inline HWND AddFeedWindow() {
    return DialogWith(L"添加RSS订阅", IDC_FEED_ADDRESS);
}
inline HWND AddSeveralWindow() {
    return DialogWith(L"添加RSS订阅", kAddSeveralList);
}
inline HWND CustomAddWindow() {
    return DialogWith(L"自定义添加RSS订阅", IDC_ADDRESS);
}
inline std::wstring AddFeedAddress() {
    wchar_t text[1024] = L"";
    GetDlgItemTextW(AddFeedWindow(), IDC_FEED_ADDRESS, text, 1024);
    return text;
}
inline void CancelDialog(HWND window) {
    if (window) SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

// The real plug-in, shown, on a host whose browser shows stand-in pages.
class PageScene {
public:
    PageScene() {
        if (!scene_.Ok()) return;
        scene_.Host().Send(kCodeVisibility, 1);
        scene_.Host().KillPluginTimer(kTimerStaleRefresh);
    }
    ~PageScene() {
        CancelDialog(AddFeedWindow());
        CancelDialog(AddSeveralWindow());
        CancelDialog(CustomAddWindow());
        if (scene_.Ok()) Browser()->SetDocument(nullptr);
        if (document_) document_->Release();
    }
    bool Ok() { return scene_.Ok() && Browser()->SinkCount() == 1; }
    HostToolbar& Host() { return scene_.Host(); }
    WebBrowserStandin* Browser() { return scene_.Host().Browser(); }
    HtmlDocumentStandin* Document() { return document_; }

    // The browser now shows page at url, without any event.
    void Show(const HtmlPage& page, const std::wstring& url) {
        if (document_) document_->Release();
        document_ = HtmlDocumentStandin::Create(page);
        Browser()->SetDocument(document_->AsDispatch());
        Browser()->SetLocation(url, L"");
    }
    // A top-level navigation with its three events.
    void Navigate(const HtmlPage& page, const std::wstring& url) {
        Browser()->FireBeforeNavigate2(url);
        Show(page, url);
        Browser()->FireNavigateComplete2(url);
        Browser()->FireDocumentComplete(url);
    }
    // The icon resource the button answers with, -1 without an answer.
    int IconResource() {
        IconQuery answer = Host().QueryIcon();
        return answer.mask ? Host().IconResourceOf(answer.icon) : -1;
    }
    void Press() { Host().Send(kCodePressed); }

private:
    scene::Scene scene_;
    HtmlDocumentStandin* document_ = nullptr;
};

}  // namespace pagetest
