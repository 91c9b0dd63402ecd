#include "engine/FeedEngine.h"

#include <commdlg.h>

#include <memory>

#include "engine/AddChannelDialog.h"
#include "engine/EngineExtension.h"
#include "engine/EngineProcess.h"
#include "engine/EngineResources.h"
#include "engine/ChannelFiles.h"
#include "engine/EngineText.h"
#include "engine/OpmlFile.h"
#include "engine/PropertiesDialog.h"
#include "engine/UpdateInterval.h"
#include "server/EngineProtocol.h"

namespace {

// A pane that stops answering must not stall the engine.
const UINT kSendTimeout = 2000;
const char kAgentClass[] = "RSS_FeedTreePaneAgent";
const LPARAM kCollapse = 1;  // TVE_COLLAPSE
const LPARAM kExpand = 2;    // TVE_EXPAND
const wchar_t kNewFolder[] = L"新建目录";
// Posted to itself: open the add-channel dialog outside the request that
// asked for it (a dropped link is sent, and the band waits for the reply).
const UINT WM_ENGINE_ASK_CHANNEL = WM_APP + 3;
const UINT_PTR kAutoUpdateTimer = 1;
const UINT kMinuteMs = 60 * 1000;
const int kWorkerThreads = 2;
const wchar_t kOpmlFilter[] = L"OPML 文件 (*.opml; *.xml)\0*.opml;*.xml\0所有文件 (*.*)\0*.*\0";

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

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

}  // namespace

FeedEngine::FeedEngine(std::wstring dataFolder, EngineExtension* extension)
    : dataFolder_(std::move(dataFolder)), file_(dataFolder_), extension_(extension) {}

FeedEngine::~FeedEngine() {
    // The workers post to the window and use the updater: stop them first.
    worker_.reset();
}

bool FeedEngine::Start(HINSTANCE instance) {
    instance_ = instance;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kEngineWindowClass;
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, kEngineWindowClass, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                              nullptr, instance, this);
    if (!window_) return false;
    // The band waits for the window only briefly; requests queue meanwhile.
    if (!dataFolder_.empty() && file_.Load(model_)) savedText_ = SubscriptionFile::Format(model_);
    worker_ = std::make_unique<UpdateWorker>(window_, dataFolder_);
    for (DWORD id : model_.ChannelsFor(0)) {
        FeedNode* channel = model_.Find(id);
        if (!channel->address.empty())
            channel->unread = worker_->Updater().HasUnread(channel->page);
    }
    worker_->Start(kWorkerThreads);
    lastAutoUpdate_ = GetTickCount();
    SetTimer(window_, kAutoUpdateTimer, kMinuteMs, nullptr);
    return true;
}

void FeedEngine::Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool FeedEngine::Save() {
    if (dataFolder_.empty()) return false;
    // Scripts and repeated requests often leave the tree as it was.
    std::string text = SubscriptionFile::Format(model_);
    if (text == savedText_) return true;
    if (!WriteFileReplacing(file_.Path(), text)) return false;
    savedText_ = text;
    return true;
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
        if (extension_) {
            extension_->Received(message, wParam, lParam);
            LRESULT result = 0;
            if (extension_->TakeCopyData(*this, *data, &result)) return result;
        }
        return OnCopyData(*data);
    }
    if (message >= WM_RSS_ATTACH && message <= WM_RSS_PARTNER_QUERY) {
        if (extension_) extension_->Received(message, wParam, lParam);
        OnRequest(message, wParam, lParam);
        return 0;
    }
    switch (message) {
        case WM_ENGINE_JOB_PROGRESS:
            if (model_.Find(static_cast<DWORD>(wParam))) {
                LPARAM progress = lParam < 0 ? 0 : lParam > 10 ? 10 : lParam;
                SendToPanes(WM_RSS_UPDATE, wParam, progress);
            }
            return 0;
        case WM_ENGINE_JOB_DONE:
            OnJobsDone();
            return 0;
        case WM_ENGINE_ASK_CHANNEL:
            ShowAddDialog();
            return 0;
        case WM_TIMER:
            if (wParam == kAutoUpdateTimer) OnAutoUpdateTick();
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd, kAutoUpdateTimer);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT FeedEngine::OnCopyData(const COPYDATASTRUCT& data) {
    auto bytes = static_cast<const char*>(data.lpData);
    if (data.dwData == kEngineAddressTag) {
        auto text = static_cast<const wchar_t*>(data.lpData);
        size_t length = text ? data.cbData / sizeof(wchar_t) : 0;
        AskForChannel(0, std::wstring(text ? text : L"", wcsnlen(text ? text : L"", length)));
        return TRUE;
    }
    // A dropped link: 0x00, the text, 0x00.
    if (!bytes || data.cbData < 2 || bytes[0] != 0) return FALSE;
    AskForChannel(model_.FolderFor(static_cast<DWORD>(data.dwData)),
                  WideFromAnsi(bytes + 1, strnlen(bytes + 1, data.cbData - 1)));
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
            // Newer bands send no selection: the channel goes to the top.
            AskForChannel(model_.FolderFor(node), std::wstring());
            break;
        case WM_RSS_EXPAND:
            SetExpanded(node, lParam != 0);
            break;
        case WM_RSS_PROPERTIES:
            ShowProperties(node);
            break;
        case WM_RSS_EXPORT:
            ExportWithDialog(node);
            break;
        case WM_RSS_DELETE:
            Delete(node);
            break;
        case WM_RSS_MOVE:
            MoveNode(node, static_cast<DWORD>(lParam));
            break;
        case WM_RSS_UPDATE:
            Update(node, lParam);
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
// One batch carries them all: a pane lays its tree out once for the batch,
// where each message on its own would cost a round trip and a layout.
void FeedEngine::Describe(HWND target, const std::vector<DWORD>& nodes,
                          const std::vector<DWORD>& sorted) const {
    if (target && !IsWindow(target)) return;
    BatchWriter batch;
    for (DWORD id : nodes) {
        if (const FeedNode* node = model_.Find(id))
            batch.Message(node->folder ? WM_RSS_FOLDER : WM_RSS_CHANNEL, node->id, node->parent);
    }
    for (DWORD id : nodes) {
        if (const FeedNode* node = model_.Find(id)) batch.Text(node->id, node->text, node->page);
    }
    // The pane knows a channel by its page name, which the text carries:
    // sorting before the texts are in would take new channels for folders.
    for (DWORD folder : sorted) {
        if (folder) batch.Message(WM_RSS_SORT, folder, 0);
    }
    // The pane opens a folder as children arrive; closed ones are closed again.
    for (DWORD id : nodes) {
        const FeedNode* node = model_.Find(id);
        if (node && node->folder)
            batch.Message(WM_RSS_EXPAND, node->id, node->expanded ? kExpand : kCollapse);
    }
    if (target) {
        SendBatch(target, window_, batch);
    } else {
        SendBatchToPanes(batch);
    }
}

void FeedEngine::DescribeAll(HWND target) const {
    std::vector<DWORD> ids, sorted;
    for (const FeedNode& node : model_.Nodes()) {
        ids.push_back(node.id);
        if (node.folder && model_.ChildCount(node.id) > 1) sorted.push_back(node.id);
    }
    Describe(target, ids, sorted);
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

void FeedEngine::Announce(DWORD id, bool sortParent) const {
    const FeedNode* node = model_.Find(id);
    Describe(nullptr, {id}, {node && sortParent ? node->parent : 0});
}

void FeedEngine::SendText(const FeedNode& node) const {
    BatchWriter batch;
    batch.Text(node.id, node.text, node.page);
    if (node.parent) batch.Message(WM_RSS_SORT, node.parent, 0);
    SendBatchToPanes(batch);
}

// ---- subscriptions

void FeedEngine::NewFolder(DWORD selected) {
    FeedNode folder;
    folder.id = model_.NextId();
    folder.parent = model_.FolderFor(selected);
    folder.folder = true;
    folder.text = kNewFolder;
    model_.Add(folder);
    Save();
    Announce(folder.id, true);
}

DWORD FeedEngine::AddChannel(DWORD folder, const std::wstring& address) {
    FeedNode channel;
    channel.id = model_.NextId();
    channel.parent = model_.FolderFor(folder);
    // The feed's own title replaces the address after the first update.
    channel.text = address;
    channel.address = address;
    channel.page = model_.NewPageName(channel.id);
    model_.Add(channel);
    Save();
    Announce(channel.id, true);
    UpdateChannel(channel);
    return channel.id;
}

void FeedEngine::AskForChannel(DWORD folder, const std::wstring& address) {
    pendingFolder_ = folder;
    pendingAddress_ = TrimAddress(address);
    PostMessageW(window_, WM_ENGINE_ASK_CHANNEL, 0, 0);
}

void FeedEngine::ShowAddDialog() {
    if (dialogOpen_) return;
    DWORD folder = pendingFolder_;
    AddChannelDialog dialog(pendingAddress_);
    INT_PTR answer = 0;
    if (!RunDialog(dialog, IDD_ADD_CHANNEL, answer)) return;
    // The dialog's own loop handled requests meanwhile: the folder may be gone.
    if (!model_.Find(folder)) folder = 0;
    if (answer == IDOK) {
        AddChannel(folder, dialog.Address());
    } else if (answer == AddChannelDialog::kImport) {
        ImportWithDialog(folder);
    }
}

// False when the tree was reset while the dialog was open: its answer
// belongs to nodes that are gone, whatever ids they shared.
bool FeedEngine::RunDialog(ModalDialog& dialog, int templateId, INT_PTR& answer) {
    DWORD generation = generation_;
    dialogOpen_ = true;
    answer = dialog.Run(instance_, templateId, nullptr);
    dialogOpen_ = false;
    return generation == generation_;
}

void FeedEngine::ShowProperties(DWORD id) {
    const FeedNode* node = model_.Find(id);
    if (!node || dialogOpen_) return;
    PropertiesDialog dialog(node->text, node->address, node->folder);
    INT_PTR answer = 0;
    if (!RunDialog(dialog, IDD_PROPERTIES, answer)) return;
    FeedNode* edited = model_.Find(id);
    if (answer != IDOK || !edited) return;
    bool renamed = dialog.Title() != edited->text;
    bool moved = !edited->folder && dialog.Address() != edited->address;
    if (!renamed && !moved) return;
    edited->text = dialog.Title();
    edited->titled = edited->titled || renamed;
    edited->address = dialog.Address();
    Save();
    SendText(*edited);
    if (moved) UpdateChannel(*edited);
}

bool FeedEngine::ExportTo(const std::wstring& file, DWORD node) const {
    return WriteFileReplacing(file, FormatOpml(model_, node));
}

bool FeedEngine::ImportFrom(const std::wstring& file, DWORD folder) {
    std::vector<OpmlOutline> outlines;
    if (!ReadOpml(file, outlines)) return false;
    std::vector<DWORD> added = ImportOutlines(model_, folder, outlines);
    if (added.empty()) return true;
    Save();
    const FeedNode* first = model_.Find(added.front());
    Describe(nullptr, added, {first ? first->parent : 0});
    for (DWORD id : added) {
        const FeedNode* node = model_.Find(id);
        if (node && !node->folder) UpdateChannel(*node);
    }
    return true;
}

void FeedEngine::ExportWithDialog(DWORD node) {
    if (dialogOpen_) return;
    wchar_t file[MAX_PATH] = L"subscriptions.opml";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = kOpmlFilter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"opml";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    dialogOpen_ = true;
    BOOL chosen = GetSaveFileNameW(&dialog);
    dialogOpen_ = false;
    if (chosen && !ExportTo(file, node)) {
        MessageBoxW(nullptr, L"无法写入该文件。", L"导出频道", MB_ICONERROR | MB_TOPMOST);
    }
}

void FeedEngine::ImportWithDialog(DWORD folder) {
    if (dialogOpen_) return;
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = kOpmlFilter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    dialogOpen_ = true;
    BOOL chosen = GetOpenFileNameW(&dialog);
    dialogOpen_ = false;
    if (chosen && !ImportFrom(file, model_.Find(folder) ? folder : 0)) {
        MessageBoxW(nullptr, L"该文件不是可读的 OPML 订阅列表。", L"导入频道",
                    MB_ICONERROR | MB_TOPMOST);
    }
}

void FeedEngine::Delete(DWORD node) {
    if (!model_.Find(node)) return;
    for (DWORD id : model_.ChannelsFor(node)) {
        const FeedNode* channel = model_.Find(id);
        if (channel && !channel->address.empty()) {
            ChannelJob job;
            job.kind = ChannelJob::kForget;
            job.node = id;
            job.page = channel->page;
            worker_->Queue(job);
        }
    }
    model_.Remove(node);
    Save();
    SendToPanes(WM_RSS_DELETE, node, 0);
}

void FeedEngine::MoveNode(DWORD node, DWORD folder) {
    if (!model_.Move(node, folder)) return;
    Save();
    SendToPanes(WM_RSS_DELETE, node, 0);
    Describe(nullptr, model_.Subtree(node));
    if (folder) {
        SendToPanes(WM_RSS_SORT, folder, 0);
        SendToPanes(WM_RSS_EXPAND, folder, kExpand);
        SetExpanded(folder, true);
    }
}

void FeedEngine::SetExpanded(DWORD id, bool expanded) {
    FeedNode* node = model_.Find(id);
    if (!node || !node->folder || node->expanded == expanded) return;
    node->expanded = expanded;
    Save();
}

void FeedEngine::Reset() {
    ++generation_;
    CancelDialogs();
    model_.Clear();
    Save();
}

void FeedEngine::CancelDialogs() const {
    EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
}

// ---- updates

void FeedEngine::Update(DWORD node, LPARAM how) {
    if (node && !model_.Find(node)) return;
    // 0: the band found the page file missing; the stored items suffice.
    if (how == 0 && node) {
        const FeedNode* channel = model_.Find(node);
        if (channel->folder) return;
        if (channel->address.empty()) {
            UpdateWithoutFeed(*channel);
            return;
        }
        ChannelJob job;
        job.kind = ChannelJob::kWritePages;
        job.node = channel->id;
        job.page = channel->page;
        worker_->Queue(job);
        return;
    }
    for (DWORD id : model_.ChannelsFor(node)) {
        if (const FeedNode* channel = model_.Find(id)) UpdateChannel(*channel);
    }
}

void FeedEngine::UpdateChannel(const FeedNode& channel) {
    if (channel.address.empty()) {
        UpdateWithoutFeed(channel);
        return;
    }
    ChannelJob job;
    job.kind = ChannelJob::kUpdate;
    job.node = channel.id;
    job.address = channel.address;
    job.page = channel.page;
    if (worker_->Queue(job)) SendToPanes(WM_RSS_UPDATE, channel.id, 0);
}

// A channel without a feed address has nothing to fetch.
void FeedEngine::UpdateWithoutFeed(const FeedNode& channel) const {
    bool written = extension_ && extension_->UpdateWithoutFeed(*this, channel);
    SendToPanes(WM_RSS_UPDATE, channel.id, written ? RSS_PROGRESS_DONE + 1 : -1);
}

void FeedEngine::OnAutoUpdateTick() {
    DWORD minutes = UpdateIntervalMinutes();
    if (minutes == 0 || GetTickCount() - lastAutoUpdate_ < minutes * kMinuteMs) return;
    lastAutoUpdate_ = GetTickCount();
    for (DWORD id : model_.ChannelsFor(0)) {
        const FeedNode* channel = model_.Find(id);
        if (channel && !channel->address.empty()) UpdateChannel(*channel);
    }
}

void FeedEngine::OnJobsDone() {
    for (const FinishedJob& done : worker_->TakeDone()) {
        FeedNode* channel = model_.Find(done.job.node);
        // Deleted meanwhile, or a page of another channel by now.
        if (!channel || channel->page != done.job.page) continue;
        switch (done.job.kind) {
            case ChannelJob::kUpdate:
                OnUpdateFinished(done);
                break;
            case ChannelJob::kWritePages:
                if (done.ok) {
                    SendToPanes(WM_RSS_UPDATE, channel->id, RSS_PROGRESS_DONE + 1);
                } else {
                    UpdateChannel(*channel);  // nothing stored yet: fetch it
                }
                break;
            case ChannelJob::kMarkRead:
                if (channel->unread) {
                    channel->unread = false;
                    SendToPanes(WM_RSS_READ, channel->id, 0);
                }
                break;
            case ChannelJob::kForget:
                break;
        }
    }
}

void FeedEngine::OnUpdateFinished(const FinishedJob& done) {
    FeedNode* channel = model_.Find(done.job.node);
    if (!done.ok) {
        SendToPanes(WM_RSS_UPDATE, channel->id, -1);
        return;
    }
    // Done first: a busy channel would be sorted among the folders.
    SendToPanes(WM_RSS_UPDATE, channel->id, RSS_PROGRESS_DONE + 1);
    std::wstring title = TrimAddress(done.result.feedTitle);
    if (!channel->titled && !title.empty()) {
        channel->text = title;
        channel->titled = true;
        Save();
        SendText(*channel);
    }
    if (channel->unread != done.hasUnread) {
        channel->unread = done.hasUnread;
        if (channel->unread) {
            ShowUnread(channel->id);
        } else {
            SendToPanes(WM_RSS_READ, channel->id, 0);
        }
    }
}

// ---- read state

void FeedEngine::Read(DWORD node) {
    if (!model_.Find(node)) return;
    for (DWORD id : model_.ChannelsFor(node)) {
        FeedNode* channel = model_.Find(id);
        channel->unread = false;
        if (channel->address.empty()) continue;
        ChannelJob job;
        job.kind = ChannelJob::kMarkRead;
        job.node = id;
        job.page = channel->page;
        worker_->Queue(job);
    }
    SendToPanes(WM_RSS_READ, node, 0);
}

// The channel and the folders above it turn bold.
void FeedEngine::ShowUnread(DWORD node) const {
    size_t steps = model_.Nodes().size();
    for (const FeedNode* at = model_.Find(node); at && steps--; at = model_.Find(at->parent)) {
        SendToPanes(WM_RSS_UNREAD, at->id, 0);
        if (!at->parent) break;
    }
}

void FeedEngine::AnswerUnread(HWND pane, DWORD node) const {
    if (!IsWindow(pane) || !model_.Find(node)) return;
    PostMessageA(pane, WM_RSS_UNREAD, node, model_.HasUnread(node) ? 0 : 1);
}
