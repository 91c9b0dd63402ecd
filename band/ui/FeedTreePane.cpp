#include "ui/FeedTreePane.h"

#include "server/EngineProtocol.h"
#include "server/UpdateBatch.h"

namespace {
const char kPaneClass[] = "RSS_FeedTreePane";
const DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
// Repaints the tree every minute.
const UINT_PTR kRefreshTimer = 1;
const UINT kRefreshPeriod = 60000;
}  // namespace

FeedTreePane::FeedTreePane(IWebBrowser2* browser) : browser_(browser) {}

HWND FeedTreePane::Create(HWND parent) {
    RECT rect = {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    return Window::Create(kPaneClass, parent, rect, kPaneStyle);
}

LRESULT FeedTreePane::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_DESTROY:
            return OnDestroy();
        case WM_ERASEBKGND:
            return 1;
        case WM_COPYDATA:
            return TakeUpdateBatch(Handle(), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        default:
            return Default(message, wParam, lParam);
    }
}

LRESULT FeedTreePane::OnCreate() {
    engine_.FindOrStart();
    engine_.Post(WM_RSS_ATTACH, 0, reinterpret_cast<LPARAM>(Handle()));
    SetTimer(Handle(), kRefreshTimer, kRefreshPeriod, nullptr);
    return 0;
}

LRESULT FeedTreePane::OnDestroy() {
    KillTimer(Handle(), kRefreshTimer);
    return 0;
}
