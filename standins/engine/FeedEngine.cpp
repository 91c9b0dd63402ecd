#include "engine/FeedEngine.h"

#include "server/EngineProtocol.h"

namespace {

// A pane that stops answering must not stall the engine.
const UINT kSendTimeout = 2000;

void AppendDword(std::vector<BYTE>& batch, DWORD value) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
    batch.insert(batch.end(), bytes, bytes + sizeof value);
}

void AppendText(std::vector<BYTE>& batch, const std::wstring& text) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    batch.insert(batch.end(), bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

FeedEngine::FeedEngine()
    : nodes_{
          {1, 0, true, L"新闻", L""},
          {2, 1, false, L"国内新闻", L"rss_2"},
          {3, 1, false, L"Tech News", L"rss_3"},
          {4, 0, false, L"博客", L"rss_4"},
      } {}

bool FeedEngine::Start(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kEngineWindowClass;
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, kEngineWindowClass, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                              nullptr, instance, this);
    return window_ != nullptr;
}

void FeedEngine::Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LRESULT CALLBACK FeedEngine::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto engine = reinterpret_cast<FeedEngine*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!engine) return DefWindowProcA(hwnd, message, wParam, lParam);
    return engine->OnMessage(hwnd, message, wParam, lParam);
}

LRESULT FeedEngine::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data) log_.CopyData(wParam, *data);
        return TRUE;
    }
    if (message >= WM_RSS_ATTACH && message <= WM_RSS_PARTNER_QUERY) {
        log_.Message(message, wParam, lParam);
        if (message == WM_RSS_ATTACH) DescribeTree(reinterpret_cast<HWND>(lParam));
        if (message == WM_RSS_UNREAD) AnswerUnread(reinterpret_cast<HWND>(lParam), wParam);
        return 0;
    }
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// Parents come before their children, and texts only once the nodes exist.
void FeedEngine::DescribeTree(HWND pane) const {
    if (!IsWindow(pane)) return;
    for (const Node& node : nodes_) {
        SendBounded(pane, node.folder ? WM_RSS_FOLDER : WM_RSS_CHANNEL, node.id, node.parent);
    }
    std::vector<BYTE> batch = TextBatch();
    COPYDATASTRUCT data = {};
    data.cbData = static_cast<DWORD>(batch.size());
    data.lpData = batch.data();
    SendBounded(pane, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                reinterpret_cast<LPARAM>(&data));
    for (const Node& node : nodes_) {
        if (node.folder) SendBounded(pane, WM_RSS_EXPAND, node.id, 2 /* TVE_EXPAND */);
    }
}

// Channel 2 has unread items, and so has its folder.
void FeedEngine::AnswerUnread(HWND pane, DWORD node) const {
    if (!IsWindow(pane)) return;
    bool unread = node == 1 || node == 2;
    PostMessageA(pane, WM_RSS_UNREAD, node, unread ? 0 : 1);
}

std::vector<BYTE> FeedEngine::TextBatch() const {
    std::vector<BYTE> batch;
    for (const Node& node : nodes_) {
        AppendDword(batch, WM_RSS_ITEM_TEXT);
        AppendDword(batch, node.id);
        AppendText(batch, node.text);
        AppendText(batch, node.page);
    }
    AppendDword(batch, 0);
    return batch;
}
