#pragma once
#include <windows.h>

// The small window that confirms an added subscription under the button. One
// per process; it lives three seconds after the last mouse movement over it,
// a click closes it, and it never takes the focus. Every browser window of
// the process may ask for it from its own thread: the window stays on the
// thread that made it, and the others post their requests to it there.
class AddedTip {
public:
    AddedTip();
    ~AddedTip();
    AddedTip(const AddedTip&) = delete;
    AddedTip& operator=(const AddedTip&) = delete;

    // point is in the toolbar window's client coordinates.
    void Show(HWND toolbar, POINT point, const wchar_t* text);
    void Destroy();

    HWND Window() const { return window_; }
    const wchar_t* Text() const { return text_; }

    static constexpr UINT kLifetime = 3000;
    // Distance kept from the right edge of the screen.
    static constexpr int kEdgeMargin = 10;

private:
    struct Request {
        HWND toolbar = nullptr;
        POINT point = {};
        wchar_t text[MAX_PATH] = {};
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Shows the request on this thread's window, made first when there is none.
    void ShowHere(const Request& request);
    void ApplyPending();
    // The new window, made on this thread; null when it cannot be made.
    HWND CreateTipWindow(HWND toolbar);
    SIZE MeasureText(HWND window) const;
    void Paint(HWND window);
    HFONT Font() const;

    // Guards the window's handle and thread and the pending request, which
    // other threads read and write.
    CRITICAL_SECTION lock_;
    HWND volatile window_ = nullptr;
    DWORD thread_ = 0;
    Request pending_;
    bool hasPending_ = false;
    // Used on the window's own thread only.
    HWND toolbar_ = nullptr;
    wchar_t text_[MAX_PATH] = {};
};

// The process's tip.
AddedTip& TheAddedTip();
