#include "BrowserFrame.h"

#include "PageLoader.h"
#include "browser/HtmlDocumentStandin.h"
#include "browser/WebBrowserStandin.h"
#include "host/ToolbarHostObject.h"

namespace {

const wchar_t kFrameClass[] = L"DemoBrowserFrame";
const int kCaptionHeight = 28;
const int kAddressHeight = 28;
const int kToolbarHeight = 30;
const int kBandWidth = 260;

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

bool IsFilePath(const std::wstring& address) {
    return address.size() > 2 && address[1] == L':';
}

// The document the button examines: the page's link elements.
HtmlPage DocumentOf(const PageContent& page) {
    HtmlPage html;
    for (const PageContent::Attributes& tag : page.linkTags) html.links.push_back({tag});
    return html;
}

}  // namespace

BrowserFrame::~BrowserFrame() {
    if (document_) document_->Release();
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

bool BrowserFrame::Create(WebBrowserStandin* browser, const RECT& placement) {
    browser_ = browser;
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), kFrameClass, &windowClass)) {
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kFrameClass;
        RegisterClassW(&windowClass);
    }
    // A popup with a caption of its own: under Xvfb there is no window
    // manager to draw one, and a managed window is slow to go.
    window_ = CreateWindowExW(0, kFrameClass, L"RSS 订阅演示",
                              WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, placement.left, placement.top,
                              placement.right - placement.left, placement.bottom - placement.top,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!window_ || !view_.Create(window_)) return false;
    font_ = CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY,
                        0, L"WenQuanYi Micro Hei");
    addressLabel_ = CreateWindowExW(0, L"STATIC", L"地址", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE,
                                    0, 0, 10, 10, window_, nullptr, nullptr, nullptr);
    addressLine_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                   WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_READONLY, 0, 0, 10,
                                   10, window_, nullptr, nullptr, nullptr);
    for (HWND control : {addressLabel_, addressLine_})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    browser_->SetWindow(window_);
    Layout();
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    return true;
}

void BrowserFrame::PlaceToolbar(HWND toolbarWindow) {
    toolbar_ = toolbarWindow;
    SetWindowLongPtrW(toolbar_, GWL_STYLE, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    SetParent(toolbar_, window_);
    ShowWindow(toolbar_, SW_SHOWNA);
    Layout();
}

void BrowserFrame::PlaceBandHost(HWND bandHost) {
    bandHost_ = bandHost;
    SetParent(bandHost_, window_);
    ShowWindow(bandHost_, bandShown_ ? SW_SHOWNA : SW_HIDE);
    Layout();
}

void BrowserFrame::ShowBand(bool show) {
    bandShown_ = show;
    if (bandHost_) ShowWindow(bandHost_, show ? SW_SHOWNA : SW_HIDE);
    Layout();
}

void BrowserFrame::Layout() {
    if (!window_) return;
    RECT client;
    GetClientRect(window_, &client);
    int y = kCaptionHeight;
    MoveWindow(addressLabel_, 6, y + 2, 40, kAddressHeight - 4, TRUE);
    MoveWindow(addressLine_, 48, y + 2, client.right - 54, kAddressHeight - 4, TRUE);
    y += kAddressHeight;
    if (toolbar_) MoveWindow(toolbar_, 0, y, client.right, kToolbarHeight, TRUE);
    y += kToolbarHeight;
    int left = 0;
    if (bandHost_ && bandShown_) {
        MoveWindow(bandHost_, 0, y, kBandWidth, client.bottom - y, TRUE);
        // The band fills its host the way the browser's bar site sizes it.
        for (HWND child = GetWindow(bandHost_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            MoveWindow(child, 0, 0, kBandWidth, client.bottom - y, TRUE);
        }
        left = kBandWidth + 4;
    }
    // The page is drawn anew, never scrolled with the window's old bits.
    SetWindowPos(view_.Window(), nullptr, left, y, client.right - left, client.bottom - y,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    InvalidateRect(view_.Window(), nullptr, FALSE);
}

void BrowserFrame::PaintCaption(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    RECT caption = {0, 0, client.right, kCaptionHeight};
    HBRUSH brush = CreateSolidBrush(RGB(36, 74, 140));
    FillRect(dc, &caption, brush);
    DeleteObject(brush);
    std::wstring title = L"RSS 订阅演示 - " + (Page().title.empty() ? address_ : Page().title);
    HGDIOBJ old = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    caption.left += 10;
    DrawTextW(dc, title.c_str(), -1, &caption,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, old);
}

bool BrowserFrame::Navigate(const std::wstring& address) {
    ++loads_;
    if (browser_->FireBeforeNavigate2(address)) return false;
    address_ = address;
    SetWindowTextW(addressLine_, address.c_str());
    LoadedDocument loaded = LoadDocument(address);
    bytes_ = loaded.ok ? loaded.bytes : std::string();
    if (loaded.ok) {
        ShowDocument(bytes_);
    } else {
        ReplaceDocument(NoticePage(L"无法显示此页", {address, loaded.failure}));
    }
    browser_->FireNavigateComplete2(address);
    browser_->FireDocumentComplete(address);
    return loaded.ok;
}

void BrowserFrame::Reload() {
    if (!bytes_.empty()) ShowDocument(bytes_);
}

void BrowserFrame::ShowDocument(const std::string& bytes) {
    ReplaceDocument(ParseMarkup(DecodeMarkup(bytes)));
}

void BrowserFrame::ReplaceDocument(const PageContent& page) {
    if (document_) document_->Release();
    document_ = HtmlDocumentStandin::Create(DocumentOf(page));
    browser_->SetDocument(document_->AsDispatch());
    browser_->SetLocation(address_, page.title);
    SheetColours colours;
    // A channel page names "rss.css" beside it, as the engine writes it.
    if (page.kind == PageContent::Kind::Channel && IsFilePath(address_)) {
        LoadedDocument sheet = LoadDocument(FolderOf(address_) + L"rss.css");
        if (sheet.ok) colours = ColoursOfSheet(sheet.bytes);
    }
    view_.Show(page, colours);
    RECT caption = {0, 0, 4096, kCaptionHeight};
    InvalidateRect(window_, &caption, TRUE);
}

void BrowserFrame::FollowRequests(ToolbarHostObject* host) {
    while (navigationsSeen_ < browser_->Navigations().size())
        Navigate(browser_->Navigations()[navigationsSeen_++].url);
    while (host && openedSeen_ < host->OpenedAddresses().size())
        Navigate(host->OpenedAddresses()[openedSeen_++].address);
    if (refreshesSeen_ != browser_->Refreshes()) {
        refreshesSeen_ = browser_->Refreshes();
        Reload();
    }
}

void BrowserFrame::Pump(DWORD ms, ToolbarHostObject* host) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        FollowRequests(host);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

LRESULT CALLBACK BrowserFrame::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<BrowserFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->window_) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT BrowserFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window_, &paint);
            PaintCaption(dc);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_SIZE:
            Layout();
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}
