#include "dialogs/WindowSubclass.h"

bool WindowSubclass::AttachWith(HWND window, const wchar_t* name, WNDPROC proc, Handler handler) {
    Detach();
    if (!window || !SetPropW(window, name, this)) return false;
    window_ = window;
    name_ = name;
    handler_ = std::move(handler);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    return true;
}

void WindowSubclass::Detach() {
    if (!window_) return;
    if (IsWindow(window_)) {
        if (original_)
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        RemovePropW(window_, name_);
    }
    window_ = nullptr;
    original_ = nullptr;
    handler_ = nullptr;
}

LRESULT WindowSubclass::CallOriginal(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) const {
    if (!original_) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(original_, window, message, wParam, lParam);
}

LRESULT WindowSubclass::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        WNDPROC original = original_;
        Detach();
        return original ? CallWindowProcW(original, window, message, wParam, lParam)
                        : DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    // Nothing may unwind into the control's caller.
    try {
        handled = handler_ && handler_(window, message, wParam, lParam, &result);
    } catch (...) {
        handled = false;
    }
    return handled ? result : CallOriginal(window, message, wParam, lParam);
}
