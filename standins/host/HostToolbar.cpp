#include "host/HostToolbar.h"

#include <commctrl.h>

#include "browser/WebBrowserStandin.h"
#include "core/HostProtocol.h"
#include "host/MenuPainter.h"

namespace {

const wchar_t kFrameClass[] = L"HostToolbarFrame";
constexpr UINT_PTR kSubclassId = 1;

bool RegisterFrameClass(WNDPROC proc) {
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof(cls);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kFrameClass, &cls)) return true;
    cls.lpfnWndProc = proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kFrameClass;
    return RegisterClassExW(&cls) != 0;
}

// Drives a menu plan step after the menu has been drawn.
constexpr UINT_PTR kPlanTimer = 0x7E01;
constexpr UINT kPlanStepDelay = 150;
// Icon resources the plug-in may name in its menu.
constexpr int kKnownIcons[] = {100, 105, 106, 107, 108, 109, 110, 113};

std::vector<DWORD> IconPrint(HICON icon) {
    std::vector<DWORD> bits(16 * 16);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    GdiFlush();
    if (pixels) memcpy(bits.data(), pixels, bits.size() * sizeof(DWORD));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bits;
}

bool IsPluginTimer(UINT_PTR id) {
    return id == kTimerFeedViewInjection || id == kTimerStaleRefresh ||
           id == kTimerFeedPropertiesInjection;
}

}  // namespace

HostToolbar::HostToolbar() = default;

HostToolbar::~HostToolbar() {
    if (toolbar_) RemoveWindowSubclass(toolbar_, &HostToolbar::ToolbarProc, kSubclassId);
    if (frame_) DestroyWindow(frame_);
    if (images_) ImageList_Destroy(images_);
    if (host_) host_->Release();
    if (browser_) browser_->Release();
    if (plugin_) FreeLibrary(plugin_);
}

bool HostToolbar::Create(const Options& options) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterFrameClass(&HostToolbar::FrameProc)) return false;
    // A popup: without a window manager Wine waits two seconds for a
    // managed (overlapped) window to be withdrawn when it is destroyed.
    frame_ = CreateWindowExW(0, kFrameClass, L"Host toolbar", WS_POPUP | WS_BORDER, 40, 40, 480,
                             120, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!frame_ || !CreateToolbar(options)) return false;

    browser_ = WebBrowserStandin::Create();
    browser_->SetWindow(frame_);
    host_ = ToolbarHostObject::Create(toolbar_, browser_);
    host_->SetLogin(options.userNumber, options.loggedIn, options.loginKey);
    currentUser_ = options.userNumber;
    if (!userBlock_.Create(options.userNumber, options.loggedIn)) return false;

    name_ = options.buttonName;
    record_.window = toolbar_;
    record_.name = name_.c_str();
    record_.commandId = options.commandId;
    SendMessageW(toolbar_, TB_GETRECT, options.commandId, reinterpret_cast<LPARAM>(&record_.rect));
    if (options.showFrame) ShowFrame(true);
    return true;
}

bool HostToolbar::CreateToolbar(const Options& options) {
    toolbar_ = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_TOP | CCS_NODIVIDER, 0, 0, 0, 0,
        frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!toolbar_) return false;
    SetWindowSubclass(toolbar_, &HostToolbar::ToolbarProc, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    ImageList_AddIcon(images_, LoadIconW(nullptr, IDI_APPLICATION));
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));

    // A neighbour, so that the button is not the only (index 0) one.
    TBBUTTON buttons[2] = {};
    buttons[0].iBitmap = I_IMAGENONE;
    buttons[0].idCommand = 0x100;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[0].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    buttons[0].iString = reinterpret_cast<INT_PTR>(L"Home");
    buttons[1].iBitmap = 0;
    buttons[1].idCommand = options.commandId;
    buttons[1].fsState = TBSTATE_ENABLED;
    buttons[1].fsStyle = BTNS_DROPDOWN | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    buttons[1].iString = reinterpret_cast<INT_PTR>(options.buttonName.c_str());
    SendMessageW(toolbar_, TB_ADDBUTTONSW, options.placeButton ? 2 : 1,
                 reinterpret_cast<LPARAM>(buttons));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    return true;
}

bool HostToolbar::LoadPlugin(const std::wstring& path) {
    plugin_ = LoadLibraryW(path.c_str());
    if (!plugin_) return false;
    entry_ = reinterpret_cast<ButtonEntry>(GetProcAddress(plugin_, "OnButtonMessage"));
    return entry_ != nullptr;
}

LONG HostToolbar::Send(LONG code, LONG_PTR c, LONG_PTR d) {
    return SendRaw(&record_, host_, code, c, d);
}

LONG HostToolbar::SendRaw(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                          LONG_PTR d) {
    return entry_ ? entry_(record, host, code, c, d) : 0;
}

IconQuery HostToolbar::QueryIcon() {
    IconQuery query = {};
    Send(kCodeIconQuery, reinterpret_cast<LONG_PTR>(&query));
    if ((query.mask & kIconQuerySetsIcon) && query.icon) {
        ImageList_ReplaceIcon(images_, 0, query.icon);
        InvalidateRect(toolbar_, nullptr, TRUE);
    }
    return query;
}

void HostToolbar::Pump(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool HostToolbar::KillPluginTimer(UINT_PTR id) {
    return KillTimer(toolbar_, id) != FALSE;
}

void HostToolbar::ShowFrame(bool show) {
    ShowWindow(frame_, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (show) UpdateWindow(frame_);
}

bool HostToolbar::OnTimer(UINT_PTR id) {
    if (!IsPluginTimer(id)) return false;
    relayedTimers_.push_back(id);
    Send(kCodeCommand, static_cast<LONG_PTR>(id));
    return true;
}

LRESULT HostToolbar::OnToolbarNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam == kNotifyIsCurrentUser) {
        userQueries_.push_back(lParam);
        return static_cast<DWORD>(lParam) == currentUser_ ? 1 : 0;
    }
    notifications_.push_back({wParam, lParam});
    return 0;
}

LRESULT HostToolbar::OnFrameNotify(const NMHDR* header) {
    if (header->hwndFrom != toolbar_ || header->code != TBN_DROPDOWN) return 0;
    DropDown(plan_);
    return TBDDRET_DEFAULT;
}

LONG HostToolbar::DropDown(const MenuPlan& plan) {
    plan_ = plan;
    planDone_ = false;
    openMenu_ = nullptr;
    // A menu that opens under the pointer selects what lies beneath it: the
    // pointer goes to the screen's far corner, where no menu of this toolbar
    // opens, so that only the plan's keys move the selection.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    LONG result = Send(kCodeDropDown);
    planDone_ = true;
    openMenu_ = nullptr;
    KillTimer(toolbar_, kPlanTimer);
    return result;
}

LONG HostToolbar::DropDown() {
    return DropDown(MenuPlan());
}

int HostToolbar::IconResourceOf(HICON icon) {
    if (!icon) return 0;
    if (iconPrints_.empty() && plugin_) {
        for (int id : kKnownIcons) {
            auto known = static_cast<HICON>(
                LoadImageW(plugin_, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
            if (!known) continue;
            iconPrints_.push_back({id, IconPrint(known)});
            DestroyIcon(known);
        }
    }
    std::vector<DWORD> print = IconPrint(icon);
    for (const auto& known : iconPrints_) {
        if (known.second == print) return known.first;
    }
    return -1;
}

HICON HostToolbar::AskItemIcon(DRAWITEMSTRUCT* draw) {
    MenuIconQuery query = {};
    Send(kCodeItemIcon, reinterpret_cast<LONG_PTR>(&query), reinterpret_cast<LONG_PTR>(draw));
    return query.icon;
}

void HostToolbar::OnMenuOpened(HMENU menu) {
    // Only the top popup of a tracked menu; its submenus open later.
    if (planDone_ || openMenu_) return;
    openMenu_ = menu;
    ++menusShown_;
    MenuQueries queries;
    queries.measure = [this](MEASUREITEMSTRUCT* measure) {
        Send(kCodeMeasureItem, 0, reinterpret_cast<LONG_PTR>(measure));
    };
    queries.icon = [this](DRAWITEMSTRUCT* draw) { return AskItemIcon(draw); };
    queries.iconId = [this](HICON icon) { return IconResourceOf(icon); };
    lastMenu_ = SnapshotMenu(menu, queries);
    // Keys wait in the queue until the menu loop reads them; the timer gives
    // the menu time to be drawn first.
    if (plan_.previewSubmenu >= 0) PostKeys(KeysToOpen(menu, plan_.previewSubmenu));
    SetTimer(toolbar_, kPlanTimer, kPlanStepDelay, nullptr);
}

void HostToolbar::OnPlanTimer() {
    KillTimer(toolbar_, kPlanTimer);
    if (!planDone_) FinishPlan();
}

void HostToolbar::FinishPlan() {
    planDone_ = true;
    if (plan_.whileOpen) plan_.whileOpen();
    std::vector<WPARAM> keys;
    std::vector<WPARAM> path =
        plan_.choose ? KeysToChoose(openMenu_, plan_.choose) : std::vector<WPARAM>();
    // From a clean state: close the submenu the preview opened.
    if (!path.empty() && plan_.previewSubmenu >= 0) keys.push_back(VK_ESCAPE);
    keys.insert(keys.end(), path.begin(), path.end());
    if (!path.empty()) {
        PostKeys(keys);
    } else {
        EndMenu();
    }
}

void HostToolbar::PostKeys(const std::vector<WPARAM>& keys) {
    for (WPARAM key : keys) {
        PostMessageW(toolbar_, WM_KEYDOWN, key, 1);
        PostMessageW(toolbar_, WM_KEYUP, key, 0xC0000001);
    }
}

LRESULT HostToolbar::OnMeasureItem(MEASUREITEMSTRUCT* measure) {
    Send(kCodeMeasureItem, 0, reinterpret_cast<LONG_PTR>(measure));
    return TRUE;
}

LRESULT HostToolbar::OnDrawItem(DRAWITEMSTRUCT* draw) {
    HICON icon = AskItemIcon(draw);
    auto font = reinterpret_cast<HFONT>(SendMessageW(toolbar_, WM_GETFONT, 0, 0));
    PaintMenuItem(draw, icon, font);
    return TRUE;
}

LRESULT CALLBACK HostToolbar::ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self) {
    auto* host = reinterpret_cast<HostToolbar*>(self);
    if (message == WM_TIMER && wParam == kPlanTimer) {
        host->OnPlanTimer();
        return 0;
    }
    if (message == WM_TIMER && host->OnTimer(wParam)) return 0;
    switch (message) {
        case WM_INITMENUPOPUP:
            host->OnMenuOpened(reinterpret_cast<HMENU>(wParam));
            break;
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (measure->CtlType == ODT_MENU) return host->OnMeasureItem(measure);
            break;
        }
        case WM_DRAWITEM: {
            auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (draw->CtlType == ODT_MENU) return host->OnDrawItem(draw);
            break;
        }
        default:
            break;
    }
    if (message == kToolbarNotify) return host->OnToolbarNotify(wParam, lParam);
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK HostToolbar::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host = reinterpret_cast<HostToolbar*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (host) {
        switch (message) {
            case WM_NOTIFY:
                return host->OnFrameNotify(reinterpret_cast<NMHDR*>(lParam));
            case WM_COMMAND:
                if (LOWORD(wParam) == host->record_.commandId && host->toolbar_ &&
                    reinterpret_cast<HWND>(lParam) == host->toolbar_) {
                    host->Send(kCodePressed);
                    return 0;
                }
                break;
            case WM_SIZE:
                if (host->toolbar_) SendMessageW(host->toolbar_, TB_AUTOSIZE, 0, 0);
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
