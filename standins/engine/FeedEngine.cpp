#include "engine/FeedEngine.h"

#include "engine/ChannelPage.h"
#include "engine/EngineControl.h"
#include "engine/EngineScript.h"
#include "server/EngineProtocol.h"

namespace {

// A pane that stops answering must not stall the engine.
const UINT kSendTimeout = 2000;
const char kAgentClass[] = "RSS_FeedTreePaneAgent";
const LPARAM kExpand = 2;  // TVE_EXPAND

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout, &result);
    return static_cast<LRESULT>(result);
}

void SendBatch(HWND window, HWND engine, BatchWriter& batch) {
    std::vector<BYTE> bytes = batch.Take();
    COPYDATASTRUCT data = {};
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = bytes.data();
    SendBounded(window, WM_COPYDATA, reinterpret_cast<WPARAM>(engine),
                reinterpret_cast<LPARAM>(&data));
}

std::vector<HWND> PaneAgents() {
    std::vector<HWND> agents;
    for (HWND agent = nullptr; (agent = FindWindowExA(nullptr, agent, kAgentClass, nullptr));) {
        agents.push_back(agent);
    }
    return agents;
}

std::wstring FromAnsi(const char* text, size_t length) {
    int size = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    std::wstring out(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), &out[0], size);
    return out;
}

}  // namespace

FeedEngine::FeedEngine() {
    model_.Add({1, 0, true, L"新闻", L"", false, false});
    model_.Add({2, 1, false, L"国内新闻", L"rss_2", true, false});
    model_.Add({3, 1, false, L"Tech News", L"rss_3", false, false});
    model_.Add({4, 0, false, L"博客", L"rss_4", false, false});
}

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
    try {
        return engine->OnMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT FeedEngine::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data) return FALSE;
        if (data->dwData != kEngineScriptTag) log_.CopyData(wParam, *data);
        return OnCopyData(*data);
    }
    if (message >= WM_RSS_ATTACH && message <= WM_RSS_PARTNER_QUERY) {
        log_.Message(message, wParam, lParam);
        OnRequest(message, wParam, lParam);
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

LRESULT FeedEngine::OnCopyData(const COPYDATASTRUCT& data) {
    auto bytes = static_cast<const char*>(data.lpData);
    if (data.dwData == kEngineScriptTag) {
        return RunEngineScript(*this, std::string(bytes ? bytes : "", bytes ? data.cbData : 0));
    }
    // A dropped link: 0x00, the text, 0x00. It becomes a channel.
    if (!bytes || data.cbData < 2 || bytes[0] != 0) return FALSE;
    AddChannel(model_.FolderFor(static_cast<DWORD>(data.dwData)),
               FromAnsi(bytes + 1, strnlen(bytes + 1, data.cbData - 1)));
    return TRUE;
}

void FeedEngine::OnRequest(UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD node = static_cast<DWORD>(wParam);
    switch (message) {
        case WM_RSS_ATTACH:
            DescribeAll(reinterpret_cast<HWND>(lParam));
            break;
        case WM_RSS_FOLDER:
            NewFolder(node);
            break;
        case WM_RSS_CHANNEL:
            // Newer bands send no selection: the engine's dialog would ask.
            AddChannel(model_.FolderFor(node), L"新频道");
            break;
        case WM_RSS_DELETE:
            Delete(node);
            break;
        case WM_RSS_MOVE:
            MoveNode(node, static_cast<DWORD>(lParam));
            break;
        case WM_RSS_UPDATE:
            Update(node);
            break;
        case WM_RSS_READ:
            Read(node);
            break;
        case WM_RSS_UNREAD:
            AnswerUnread(reinterpret_cast<HWND>(lParam), node);
            break;
    }
}

// ---- sending

void FeedEngine::SendToPanes(UINT message, WPARAM wParam, LPARAM lParam) const {
    for (HWND agent : PaneAgents()) SendBounded(agent, message, wParam, lParam);
}

void FeedEngine::SendBatchToPanes(BatchWriter& batch) const {
    std::vector<HWND> agents = PaneAgents();
    std::vector<BYTE> bytes = batch.Take();
    for (HWND agent : agents) {
        COPYDATASTRUCT data = {};
        data.cbData = static_cast<DWORD>(bytes.size());
        data.lpData = bytes.data();
        SendBounded(agent, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                    reinterpret_cast<LPARAM>(&data));
    }
}

// Parents come before their children, and texts only once the nodes exist.
void FeedEngine::Describe(HWND target, const std::vector<DWORD>& nodes) const {
    if (target && !IsWindow(target)) return;
    auto send = [this, target](UINT message, WPARAM wParam, LPARAM lParam) {
        if (target) {
            SendBounded(target, message, wParam, lParam);
        } else {
            SendToPanes(message, wParam, lParam);
        }
    };
    BatchWriter texts;
    for (DWORD id : nodes) {
        const FeedNode* node = model_.Find(id);
        if (!node) continue;
        send(node->folder ? WM_RSS_FOLDER : WM_RSS_CHANNEL, node->id, node->parent);
        texts.Text(node->id, node->text, node->page);
    }
    if (target) {
        SendBatch(target, window_, texts);
    } else {
        SendBatchToPanes(texts);
    }
    for (DWORD id : nodes) {
        const FeedNode* node = model_.Find(id);
        if (node && node->folder) send(WM_RSS_EXPAND, node->id, kExpand);
    }
}

void FeedEngine::DescribeAll(HWND target) const {
    std::vector<DWORD> ids;
    for (const FeedNode& node : model_.Nodes()) ids.push_back(node.id);
    Describe(target, ids);
}

void FeedEngine::DescribeInBatches(size_t records) const {
    BatchWriter batch;
    for (const FeedNode& node : model_.Nodes()) {
        batch.Message(node.folder ? WM_RSS_FOLDER : WM_RSS_CHANNEL, node.id, node.parent);
        batch.Text(node.id, node.text, node.page);
        if (batch.Records() >= records) SendBatchToPanes(batch);
    }
    if (!batch.Empty()) SendBatchToPanes(batch);
}

void FeedEngine::Announce(DWORD node) const {
    Describe(nullptr, {node});
}

// ---- requests

void FeedEngine::NewFolder(DWORD selected) {
    FeedNode folder;
    folder.id = model_.NextId();
    folder.parent = model_.FolderFor(selected);
    folder.folder = true;
    folder.text = L"新建目录";
    model_.Add(folder);
    Announce(folder.id);
    if (folder.parent) SendToPanes(WM_RSS_SORT, folder.parent, 0);
}

void FeedEngine::AddChannel(DWORD folder, const std::wstring& text) {
    FeedNode channel;
    channel.id = model_.NextId();
    channel.parent = folder;
    channel.text = text.empty() ? L"新频道" : text;
    channel.page = L"rss_" + std::to_wstring(channel.id);
    model_.Add(channel);
    Announce(channel.id);
    if (folder) SendToPanes(WM_RSS_SORT, folder, 0);
}

void FeedEngine::Delete(DWORD node) {
    if (!model_.Find(node)) return;
    model_.Remove(node);
    SendToPanes(WM_RSS_DELETE, node, 0);
}

void FeedEngine::MoveNode(DWORD node, DWORD folder) {
    if (!model_.Move(node, folder)) return;
    SendToPanes(WM_RSS_DELETE, node, 0);
    Describe(nullptr, model_.Subtree(node));
    if (folder) {
        SendToPanes(WM_RSS_SORT, folder, 0);
        SendToPanes(WM_RSS_EXPAND, folder, kExpand);
    }
}

void FeedEngine::Update(DWORD node) {
    if (node && !model_.Find(node)) return;
    for (DWORD id : model_.ChannelsFor(node)) {
        if (const FeedNode* channel = model_.Find(id)) UpdateChannel(*channel);
    }
}

// Progress in tenths, then finished with the page files written, or failed.
void FeedEngine::UpdateChannel(const FeedNode& channel) const {
    for (LPARAM progress : {0, 3, 6, 10}) SendToPanes(WM_RSS_UPDATE, channel.id, progress);
    bool written = !channel.failing && WriteChannelPage(channel.page, channel.text,
                                                        SampleItems(channel.text, channel.page));
    SendToPanes(WM_RSS_UPDATE, channel.id, written ? RSS_PROGRESS_DONE + 1 : -1);
}

void FeedEngine::Read(DWORD node) {
    if (!model_.Find(node)) return;
    for (DWORD id : model_.ChannelsFor(node)) model_.Find(id)->unread = false;
    SendToPanes(WM_RSS_READ, node, 0);
}

void FeedEngine::AnswerUnread(HWND pane, DWORD node) const {
    if (!IsWindow(pane) || !model_.Find(node)) return;
    PostMessageA(pane, WM_RSS_UNREAD, node, model_.HasUnread(node) ? 0 : 1);
}
