#pragma once
#include <windows.h>

// The small window that confirms an added subscription under the button. One
// per process; it lives three seconds after the last mouse movement over it,
// a click closes it, and it never takes the focus.
class AddedTip {
public:
    AddedTip() = default;
    ~AddedTip();
    AddedTip(const AddedTip&) = delete;
    AddedTip& operator=(const AddedTip&) = delete;

    // point is in the toolbar window's client coordinates.
    void Show(HWND toolbar, POINT point, const wchar_t* text);
    void Destroy();

    HWND Window() const { return window_; }
    const wchar_t* Text() const { return text_; }

    // The timer on the tip's window that ends its life; every mouse movement
    // over the tip starts its countdown again.
    static constexpr UINT_PTR kLifeTimer = 1;
    static constexpr UINT kLifetime = 3000;
    // Distance kept from the right edge of the screen.
    static constexpr int kEdgeMargin = 10;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateTipWindow(HWND toolbar);
    SIZE MeasureText() const;
    void Paint();
    HFONT Font() const;

    HWND window_ = nullptr;
    HWND toolbar_ = nullptr;
    wchar_t text_[MAX_PATH] = {};
};

// The process's tip.
AddedTip& TheAddedTip();
