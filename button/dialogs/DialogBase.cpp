#include "dialogs/DialogBase.h"

#include "core/Module.h"
#include "dialogs/DialogOwner.h"
#include "dialogs/DialogKeyboard.h"

namespace {

// Messages whose answer is the dialog procedure's return value rather than
// DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

RECT WorkAreaNear(HWND window) {
    RECT area = {};
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

}  // namespace

void CentreWindowIn(HWND window, const RECT& area, const RECT& bounds) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    LONG width = frame.right - frame.left;
    LONG height = frame.bottom - frame.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    if (x + width > bounds.right) x = bounds.right - width;
    if (y + height > bounds.bottom) y = bounds.bottom - height;
    if (x < bounds.left) x = bounds.left;
    if (y < bounds.top) y = bounds.top;
    POINT place = {x, y};
    if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ScreenToClient(GetParent(window), &place);
    SetWindowPos(window, nullptr, place.x, place.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DialogBase::DialogBase(DialogOwner* button, int templateId)
    : button_(button), templateId_(templateId) {}

DialogBase::~DialogBase() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

HWND DialogBase::CreateModeless(HWND owner) {
    if (window_) {
        BringForward();
        return window_;
    }
    modal_ = false;
    HWND window = CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_), owner,
                                     &DialogBase::DialogProc, reinterpret_cast<LPARAM>(this));
    if (window) ShowWindow(window, SW_SHOW);
    return window;
}

INT_PTR DialogBase::RunModal(HWND owner) {
    if (window_) return -1;
    modal_ = true;
    if (button_) button_->PushModalDialog(this);
    INT_PTR code = DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_), owner,
                                   &DialogBase::DialogProc, reinterpret_cast<LPARAM>(this));
    if (button_) button_->PopModalDialog(this);
    modal_ = false;
    return code;
}

void DialogBase::BringForward() {
    if (!window_) return;
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void DialogBase::Close(INT_PTR code) {
    if (!window_) return;
    if (modal_) {
        EndDialog(window_, code);
    } else {
        DestroyWindow(window_);
    }
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        auto* dialog = reinterpret_cast<DialogBase*>(lParam);
        if (dialog) dialog->window_ = window;
        // A modal dialog's own loop handles its keys.
        if (dialog && !dialog->modal_) DialogKeyboard::Attach(window);
    }
    auto* dialog = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog) return FALSE;
    INT_PTR answer = FALSE;
    // Nothing may unwind into the dialog manager.
    try {
        answer = dialog->Dispatch(window, message, wParam, lParam);
    } catch (...) {
        answer = FALSE;
    }
    if (message == WM_NCDESTROY) {
        DialogKeyboard::Detach(window);
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->window_ = nullptr;
    }
    return answer;
}

INT_PTR DialogBase::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    if (!ProcessMessage(window, message, wParam, lParam, &result)) return FALSE;
    if (AnswersDirectly(message)) return result;
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

bool DialogBase::ProcessMessage(HWND, UINT message, WPARAM wParam, LPARAM, INT_PTR* result) {
    switch (message) {
        case WM_INITDIALOG:
            CentreOverOwner();
            *result = TRUE;
            return true;
        case WM_COMMAND: {
            WORD id = LOWORD(wParam);
            if (id != IDOK && id != IDCANCEL) return false;
            bool agreed = id == IDOK ? OnOk() : OnCancel();
            if (agreed) Close(id == IDOK ? 1 : 2);
            *result = 0;
            return true;
        }
        default:
            return false;
    }
}

void DialogBase::CentreOverOwner() {
    RECT bounds = WorkAreaNear(window_);
    RECT area = bounds;
    if (GetWindowLongW(window_, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetParent(window_);
        GetClientRect(parent, &area);
        MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&area), 2);
    } else {
        HWND owner = GetWindow(window_, GW_OWNER);
        if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
    }
    CentreWindowIn(window_, area, bounds);
}
