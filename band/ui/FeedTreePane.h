#pragma once
// The band's tree pane: the window through which the feed engine reaches the
// band. On creation it finds or starts the engine and asks it for the tree.
#include <exdisp.h>

#include "server/ComPtr.h"
#include "server/EngineLink.h"
#include "ui/Window.h"

class FeedTreePane : public Window {
public:
    explicit FeedTreePane(IWebBrowser2* browser);

    HWND Create(HWND parent);
    HWND EngineWindow() const { return engine_.Window(); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnCreate();
    LRESULT OnDestroy();

    ComPtr<IWebBrowser2> browser_;
    EngineLink engine_;
};
