#include "core/AddedTip.h"

#include "core/Module.h"

namespace {

const wchar_t kTipClass[] = L"RssAddedTip";
constexpr UINT_PTR kLifeTimer = AddedTip::kLifeTimer;
constexpr int kMargin = 5;
#ifndef CS_DROPSHADOW
constexpr UINT CS_DROPSHADOW = 0x00020000;
#endif

bool IsXpOrLater() {
    OSVERSIONINFOW version = {sizeof(version)};
    if (!GetVersionExW(&version)) return false;
    return version.dwMajorVersion > 5 ||
           (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

bool RegisterTipClass(WNDPROC proc) {
    WNDCLASSEXW cls = {sizeof(cls)};
    if (GetClassInfoExW(ModuleInstance(), kTipClass, &cls)) return true;
    cls.style = CS_HREDRAW | CS_VREDRAW | (IsXpOrLater() ? CS_DROPSHADOW : 0);
    cls.lpfnWndProc = proc;
    cls.hInstance = ModuleInstance();
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    cls.lpszClassName = kTipClass;
    return RegisterClassExW(&cls) != 0;
}

}  // namespace

AddedTip& TheAddedTip() {
    static AddedTip tip;
    return tip;
}

AddedTip::~AddedTip() {
    Destroy();
    // The class names this module's window procedure; a later load of the
    // library at another address must register it afresh.
    UnregisterClassW(kTipClass, ModuleInstance());
}

void AddedTip::Destroy() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

bool AddedTip::CreateTipWindow(HWND toolbar) {
    if (!RegisterTipClass(&AddedTip::WindowProc)) return false;
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTipClass, nullptr, WS_POPUP, 0, 0,
                              0, 0, toolbar, nullptr, ModuleInstance(), this);
    return window_ != nullptr;
}

HFONT AddedTip::Font() const {
    auto font =
        reinterpret_cast<HFONT>(IsWindow(toolbar_) ? SendMessageW(toolbar_, WM_GETFONT, 0, 0) : 0);
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE AddedTip::MeasureText() const {
    RECT bounds = {};
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, Font());
    DrawTextW(dc, text_, -1, &bounds, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    return {bounds.right - bounds.left + 2 * kMargin, bounds.bottom - bounds.top + 2 * kMargin};
}

void AddedTip::Show(HWND toolbar, POINT point, const wchar_t* text) {
    bool existed = window_ && IsWindow(window_);
    toolbar_ = toolbar;
    if (!existed && !CreateTipWindow(toolbar)) return;
    lstrcpynW(text_, text ? text : L"", MAX_PATH);
    SIZE size = MeasureText();
    if (toolbar) ClientToScreen(toolbar, &point);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    if (point.x + size.cx > screenWidth) point.x = screenWidth - size.cx - kEdgeMargin;
    SetWindowPos(window_, HWND_TOPMOST, point.x, point.y, size.cx, size.cy,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (existed) {
        InvalidateRect(window_, nullptr, TRUE);
        SetTimer(window_, kLifeTimer, kLifetime, nullptr);
    }
}

void AddedTip::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    FrameRect(dc, &client, GetSysColorBrush(COLOR_3DDKSHADOW));
    InflateRect(&client, -kMargin, -kMargin);
    HGDIOBJ old = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    DrawTextW(dc, text_, -1, &client, DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(window_, &paint);
}

LRESULT CALLBACK AddedTip::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* tip = reinterpret_cast<AddedTip*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!tip) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_CREATE:
            SetTimer(window, kLifeTimer, kLifetime, nullptr);
            return 0;
        case WM_MOUSEMOVE:
            SetTimer(window, kLifeTimer, kLifetime, nullptr);
            return 0;
        case WM_TIMER:
        case WM_LBUTTONDOWN:
            DestroyWindow(window);
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_PAINT:
            tip->Paint();
            return 0;
        case WM_DESTROY:
            KillTimer(window, kLifeTimer);
            if (tip->window_ == window) tip->window_ = nullptr;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
