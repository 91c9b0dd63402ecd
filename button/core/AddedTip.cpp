#include "core/AddedTip.h"

#include "core/Module.h"

namespace {

const wchar_t kTipClass[] = L"RssAddedTip";
constexpr UINT_PTR kLifeTimer = 1;
// Posted by another thread: show the pending request.
constexpr UINT kApplyPendingMessage = WM_APP + 1;
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

AddedTip::AddedTip() {
    InitializeCriticalSection(&lock_);
}

AddedTip::~AddedTip() {
    Destroy();
    // The class names this module's window procedure; a later load of the
    // library at another address must register it afresh.
    UnregisterClassW(kTipClass, ModuleInstance());
    DeleteCriticalSection(&lock_);
}

// Only the window's own thread can destroy it; another one asks it to.
void AddedTip::Destroy() {
    EnterCriticalSection(&lock_);
    HWND window = window_;
    bool here = thread_ == GetCurrentThreadId();
    hasPending_ = false;
    if (here) window_ = nullptr;
    LeaveCriticalSection(&lock_);
    if (!window || !IsWindow(window)) return;
    if (here) {
        DestroyWindow(window);
    } else {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

HWND AddedTip::CreateTipWindow(HWND toolbar) {
    if (!RegisterTipClass(&AddedTip::WindowProc)) return nullptr;
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTipClass, nullptr, WS_POPUP, 0,
                                  0, 0, 0, toolbar, nullptr, ModuleInstance(), this);
    if (!window) return nullptr;
    EnterCriticalSection(&lock_);
    window_ = window;
    thread_ = GetCurrentThreadId();
    LeaveCriticalSection(&lock_);
    return window;
}

HFONT AddedTip::Font() const {
    auto font =
        reinterpret_cast<HFONT>(IsWindow(toolbar_) ? SendMessageW(toolbar_, WM_GETFONT, 0, 0) : 0);
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE AddedTip::MeasureText(HWND window) const {
    RECT bounds = {};
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, Font());
    DrawTextW(dc, text_, -1, &bounds, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {bounds.right - bounds.left + 2 * kMargin, bounds.bottom - bounds.top + 2 * kMargin};
}

void AddedTip::Show(HWND toolbar, POINT point, const wchar_t* text) {
    Request request;
    request.toolbar = toolbar;
    request.point = point;
    lstrcpynW(request.text, text ? text : L"", MAX_PATH);
    EnterCriticalSection(&lock_);
    HWND window = window_;
    bool elsewhere = window && thread_ != GetCurrentThreadId() && IsWindow(window);
    if (elsewhere) {
        pending_ = request;
        hasPending_ = true;
    }
    LeaveCriticalSection(&lock_);
    if (!elsewhere) {
        ShowHere(request);
    } else if (!PostMessageW(window, kApplyPendingMessage, 0, 0)) {
        // Gone meanwhile: this thread makes its own.
        ShowHere(request);
    }
}

void AddedTip::ApplyPending() {
    EnterCriticalSection(&lock_);
    Request request = pending_;
    bool has = hasPending_;
    hasPending_ = false;
    LeaveCriticalSection(&lock_);
    if (has) ShowHere(request);
}

void AddedTip::ShowHere(const Request& request) {
    EnterCriticalSection(&lock_);
    HWND window = thread_ == GetCurrentThreadId() ? window_ : nullptr;
    LeaveCriticalSection(&lock_);
    bool existed = window && IsWindow(window);
    if (!existed) window = CreateTipWindow(request.toolbar);
    if (!window) return;
    toolbar_ = request.toolbar;
    lstrcpynW(text_, request.text, MAX_PATH);
    SIZE size = MeasureText(window);
    POINT point = request.point;
    if (request.toolbar) ClientToScreen(request.toolbar, &point);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    if (point.x + size.cx > screenWidth) point.x = screenWidth - size.cx - kEdgeMargin;
    SetWindowPos(window, HWND_TOPMOST, point.x, point.y, size.cx, size.cy,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (existed) {
        InvalidateRect(window, nullptr, TRUE);
        SetTimer(window, kLifeTimer, kLifetime, nullptr);
    }
}

void AddedTip::Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FrameRect(dc, &client, GetSysColorBrush(COLOR_3DDKSHADOW));
    InflateRect(&client, -kMargin, -kMargin);
    HGDIOBJ old = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    DrawTextW(dc, text_, -1, &client, DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(window, &paint);
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
        case kApplyPendingMessage:
            tip->ApplyPending();
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_PAINT:
            tip->Paint(window);
            return 0;
        case WM_DESTROY:
            KillTimer(window, kLifeTimer);
            EnterCriticalSection(&tip->lock_);
            if (tip->window_ == window) tip->window_ = nullptr;
            LeaveCriticalSection(&tip->lock_);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
