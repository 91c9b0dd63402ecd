#pragma once
// The frame that fills the explorer bar. A top/bottom splitter kept in
// single-pane mode: slot 0 holds the tree pane and gets the whole client area.
#include <exdisp.h>

#include "ui/FeedTreePane.h"
#include "ui/Window.h"

class BandSplitterWindow : public Window {
public:
    explicit BandSplitterWindow(IWebBrowser2* browser);
    ~BandSplitterWindow() override;

    // Creates the frame inside the browser's band host and the pane in it.
    HWND Create(HWND host, const RECT& rect, DWORD style);

    // The window in slot 0 (the tree pane), null before creation.
    HWND PaneWindow() const { return panes_[0]; }
    FeedTreePane& Pane() { return pane_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetPane(int slot, HWND pane);
    void SetSinglePane(int slot);
    void Layout();
    LRESULT OnPaint();

    FeedTreePane pane_;
    HWND panes_[2] = {nullptr, nullptr};
    int activeSlot_ = 0;
};
