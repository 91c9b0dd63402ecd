#include "ui/BandSplitterWindow.h"

namespace {
const char kFrameClass[] = "RSS_SplitterWindow";
}

BandSplitterWindow::BandSplitterWindow(IWebBrowser2* browser) : pane_(browser) {}

BandSplitterWindow::~BandSplitterWindow() {
    // The pane object goes before our own window would: take it down first.
    pane_.Destroy();
    Destroy();
}

HWND BandSplitterWindow::Create(HWND host, const RECT& rect, DWORD style) {
    if (!Window::Create(kFrameClass, host, rect, style)) return nullptr;
    SetPane(0, pane_.Create(Handle()));
    SetSinglePane(0);
    return Handle();
}

void BandSplitterWindow::SetPane(int slot, HWND pane) {
    panes_[slot] = pane;
    Layout();
}

void BandSplitterWindow::SetSinglePane(int slot) {
    HWND pane = panes_[slot];
    if (pane && !IsWindowVisible(pane)) ShowWindow(pane, SW_SHOW);
    activeSlot_ = slot;
    Layout();
}

void BandSplitterWindow::Layout() {
    HWND pane = panes_[activeSlot_];
    if (!pane || !IsAlive()) return;
    RECT client;
    GetClientRect(Handle(), &client);
    SetWindowPos(pane, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER);
}

LRESULT BandSplitterWindow::OnPaint() {
    PAINTSTRUCT paint;
    BeginPaint(Handle(), &paint);
    EndPaint(Handle(), &paint);
    return 0;
}

LRESULT BandSplitterWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            return OnPaint();
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) Layout();
            return 0;
        case WM_SETFOCUS:
            if (panes_[activeSlot_]) SetFocus(panes_[activeSlot_]);
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}
