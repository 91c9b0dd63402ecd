#pragma once
#include <windows.h>

#include <functional>

// Replaces a control's window procedure for as long as the object lives or
// the control exists. The object is found through a named window property,
// so the name tells every subclassed control of the plug-in apart.
class WindowSubclass {
public:
    // Handles one message; true when handled, with *result the answer.
    using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;

    WindowSubclass() = default;
    ~WindowSubclass() { Detach(); }
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    template <const wchar_t* Name>
    bool Attach(HWND window, Handler handler) {
        return AttachWith(window, Name, &Proc<Name>, std::move(handler));
    }
    // Gives the control its own procedure back.
    void Detach();
    // The control's own handling of a message.
    LRESULT CallOriginal(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    HWND Window() const { return window_; }

private:
    bool AttachWith(HWND window, const wchar_t* name, WNDPROC proc, Handler handler);
    LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    template <const wchar_t* Name>
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = static_cast<WindowSubclass*>(GetPropW(window, Name));
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        return self->Dispatch(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    const wchar_t* name_ = nullptr;
    WNDPROC original_ = nullptr;
    Handler handler_;
};
