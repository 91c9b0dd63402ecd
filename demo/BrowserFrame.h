#pragma once
#include <windows.h>

#include <string>

#include "PageContent.h"
#include "PageView.h"

class HtmlDocumentStandin;
class ToolbarHostObject;
class WebBrowserStandin;

// A small browser of ours that hosts both plug-ins: a caption, an address
// line, the toolbar row where the host toolbar puts the feed button, the
// explorer bar on the left and the page area on the right. It plays the
// browser's part for the browser object both plug-ins hold: what they ask it
// to open is loaded, announced with the browser's events and drawn.
class BrowserFrame {
public:
    BrowserFrame() = default;
    ~BrowserFrame();
    BrowserFrame(const BrowserFrame&) = delete;
    BrowserFrame& operator=(const BrowserFrame&) = delete;

    // browser becomes this frame's: its window is the frame.
    bool Create(WebBrowserStandin* browser, const RECT& placement);
    HWND Window() const { return window_; }

    // The host toolbar's window moves into the toolbar row.
    void PlaceToolbar(HWND toolbarWindow);
    // The band site's host window moves to the left of the page area.
    void PlaceBandHost(HWND bandHost);
    void ShowBand(bool show);

    // Loads address as the browser does: BeforeNavigate2, the document,
    // NavigateComplete2, DocumentComplete; then draws it. False when the
    // document could not be loaded (a notice page is shown instead).
    bool Navigate(const std::wstring& address);
    // Draws the current document again, with the style sheet it names now.
    void Reload();
    // Carries out what the plug-ins asked of the browser and the host since
    // the last call: navigations, refreshes, addresses to open.
    void FollowRequests(ToolbarHostObject* host);
    // Runs the message loop for ms milliseconds, following requests.
    void Pump(DWORD ms, ToolbarHostObject* host);

    const std::wstring& Address() const { return address_; }
    const PageContent& Page() const { return view_.Page(); }
    int Loads() const { return loads_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();
    void PaintCaption(HDC dc);
    void ShowDocument(const std::string& bytes);
    void ReplaceDocument(const PageContent& page);

    HWND window_ = nullptr;
    HWND addressLabel_ = nullptr;
    HWND addressLine_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND bandHost_ = nullptr;
    HFONT font_ = nullptr;
    bool bandShown_ = false;
    PageView view_;
    WebBrowserStandin* browser_ = nullptr;
    HtmlDocumentStandin* document_ = nullptr;
    std::wstring address_;
    std::string bytes_;
    size_t navigationsSeen_ = 0;
    size_t openedSeen_ = 0;
    int refreshesSeen_ = 0;
    int loads_ = 0;
};
