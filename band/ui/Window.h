#pragma once
// Base of the band's windows: an object per window, reached from the window
// procedure through the pointer handed over at creation. Each window class is
// registered when its first window is created.
#include <windows.h>

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }
    bool IsAlive() const { return hwnd_ && IsWindow(hwnd_); }

    // Creates the window of class className, registering the class first if
    // needed. Returns the window or null.
    HWND Create(const char* className, HWND parent, const RECT& rect, DWORD style,
                DWORD exStyle = 0, UINT id = 0);
    void Destroy();

protected:
    // Everything the window receives. Unhandled messages go to Default.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Notifications from children go up to the parent unchanged; everything
    // else to the default window procedure.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterWindowClass(const char* className);

    HWND hwnd_ = nullptr;
};
