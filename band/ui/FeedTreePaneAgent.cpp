#include "ui/FeedTreePaneAgent.h"

const char FeedTreePaneAgent::kClassName[] = "RSS_FeedTreePaneAgent";

namespace {
const UINT kFirstRelayed = WM_USER;
const UINT kLastRelayed = WM_USER + 2000;
const DWORD kAgentStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}  // namespace

bool FeedTreePaneAgent::IsRelayed(UINT message) {
    return (message >= kFirstRelayed && message <= kLastRelayed) || message == WM_COPYDATA;
}

HWND FeedTreePaneAgent::Create() {
    RECT rect = {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    HWND agent = Window::Create(kClassName, GetDesktopWindow(), rect, kAgentStyle);
    if (agent) ShowWindow(agent, SW_HIDE);
    return agent;
}

LRESULT FeedTreePaneAgent::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsRelayed(message) && target_ && IsWindow(target_)) {
        return SendMessageA(target_, message, wParam, lParam);
    }
    return DefWindowProcA(Handle(), message, wParam, lParam);
}
