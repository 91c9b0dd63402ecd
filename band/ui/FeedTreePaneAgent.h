#pragma once
// The pane's relay: a hidden top-level window of class
// "RSS_FeedTreePaneAgent" that an engine knowing only class names can find.
// Messages 1024..3024 and WM_COPYDATA are handed synchronously to the pane.
#include "ui/Window.h"

class FeedTreePaneAgent : public Window {
public:
    static const char kClassName[];

    void SetTarget(HWND target) { target_ = target; }
    // Hidden, owned by nobody: the desktop is its parent.
    HWND Create();

    static bool IsRelayed(UINT message);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND target_ = nullptr;
};
