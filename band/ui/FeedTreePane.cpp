#include "ui/FeedTreePane.h"

#include <windowsx.h>

#include "common/Bstr.h"
#include "common/MenuHandle.h"
#include "res/resource.h"
#include "server/EngineProtocol.h"
#include "server/EngineVersion.h"
#include "server/Module.h"
#include "server/OptionsCommands.h"
#include "server/PageName.h"
#include "server/PartnerPage.h"
#include "server/ThreadCodePage.h"
#include "server/UpdateBatch.h"
#include "ui/CommandBarMenu.h"
#include "ui/FeedDirectory.h"
#include "ui/StatusBarDrawing.h"

const char FeedTreePane::kClassName[] = "RSS_FeedTreePane";

namespace {

const DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
const DWORD kStatusStyle = WS_CHILD | WS_VISIBLE | SBARS_TOOLTIPS;
// The delete confirmation reads this much of an item's label.
const int kConfirmTextLength = 100;
const int kStatusTextLength = 256;
// Posted to the pane itself: the tree redraws once the batches the engine
// has sent meanwhile are walked.
const UINT WM_PANE_REDRAW = WM_APP + 1;
// A flood of batches still shows this often.
const DWORD kLongestRedrawHoldMs = 200;

POINT ScreenPoint(LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return point;
}

// Pointers in wParam or lParam are only good inside this process. Whatever
// another thread or process sends through the relay is not one of ours.
bool SentFromElsewhere() {
    return InSendMessageEx(nullptr) != ISMEX_NOSEND;
}

// A bold label may end in " (count)": the bare name goes without it.
std::string WithoutCount(std::string text) {
    size_t open = text.rfind('(');
    if (open != std::string::npos && open > 0 && text[open - 1] == ' ') text.resize(open - 1);
    return text;
}

std::string LoadText(UINT id) {
    char text[kStatusTextLength] = "";
    LoadStringA(Module::Instance(), id, text, sizeof text);
    return text;
}

}  // namespace

FeedTreePane::FeedTreePane(IWebBrowser2* browser)
    : browser_(browser), tree_(engine_), drag_(tree_, engine_) {}

HWND FeedTreePane::Create(HWND parent) {
    RECT rect = {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    return Window::Create(kClassName, parent, rect, kPaneStyle);
}

LRESULT FeedTreePane::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_DESTROY:
            return OnDestroy();
        case WM_SIZE:
            return OnSize(LOWORD(lParam), HIWORD(lParam));
        case WM_ERASEBKGND:
            return 1;
        case WM_DRAWITEM:
            return OnDrawItem(wParam, lParam);
        case WM_COPYDATA:
            return OnCopyData(wParam, lParam);
        case WM_PANE_REDRAW:
            ResumeRedraw();
            return 0;
        case WM_NOTIFY:
            return OnNotify(wParam, lParam);
        case WM_CONTEXTMENU:
            return OnContextMenu();
        case WM_COMMAND:
            return OnCommand(wParam, lParam);
        case WM_TIMER:
            return OnTimer(wParam);
        case WM_MOUSEMOVE:
            drag_.MouseMove();
            return 0;
        case WM_LBUTTONUP:
            drag_.ButtonUp();
            return 0;
        case WM_RSS_DRAG_ENTER:
        case WM_RSS_DRAG_LEAVE:
        case WM_RSS_DRAG_SCROLL:
        case WM_RSS_DROP:
            return OnDragMessage(message, wParam, lParam);
        case WM_RSS_FOLDER:
        case WM_RSS_CHANNEL:
        case WM_RSS_EXPAND:
        case WM_RSS_SORT:
        case WM_RSS_DELETE:
        case WM_RSS_UPDATE:
        case WM_RSS_ITEM_TEXT:
        case WM_RSS_QUERY_UNREAD:
        case WM_RSS_READ:
        case WM_RSS_UNREAD:
            return OnEngineMessage(message, wParam, lParam);
        case WM_RSS_PARTNER_PAGE:
            if (IsBatchRecord(message, wParam, lParam)) return 0;
            return OnPartnerPage(lParam);
        default:
            return Default(message, wParam, lParam);
    }
}

// ---- creation and layout

LRESULT FeedTreePane::OnCreate() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    engine_.FindOrStart();
    engine_.Post(WM_RSS_ATTACH, 0, reinterpret_cast<LPARAM>(Handle()));
    toolbar_.Create(Handle());
    tree_.Create(Handle());
    status_ = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, kStatusStyle, 0, 0, 0, 0, Handle(),
                              nullptr, Module::Instance(), nullptr);
    drag_.SetPane(Handle());
    agent_.SetTarget(Handle());
    agent_.Create();
    SetTimer(Handle(), TreeDragDrop::kTimer, TreeDragDrop::kRepaintPeriod, nullptr);
    sheets_.Read(DirectoryOf(Module::FileName()));
    SendMessageA(Handle(), WM_COMMAND, StoredStyleSheetCommand(), 0);
    return 0;
}

LRESULT FeedTreePane::OnDestroy() {
    KillTimer(Handle(), TreeDragDrop::kTimer);
    agent_.Destroy();
    return 0;
}

LRESULT FeedTreePane::OnSize(int width, int height) {
    HWND toolbar = toolbar_.Handle();
    if (toolbar) SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    RECT toolbarRect = {}, statusRect = {};
    if (toolbar) GetClientRect(toolbar, &toolbarRect);
    if (status_) GetClientRect(status_, &statusRect);
    int toolbarHeight = toolbarRect.bottom;
    int statusHeight = statusRect.bottom;
    if (status_) {
        SetWindowPos(status_, nullptr, 0, 0, width, statusHeight, SWP_NOZORDER | SWP_NOMOVE);
    }
    // A band lower than its bars leaves no room for the tree at all.
    int treeHeight = height - statusHeight - toolbarHeight;
    if (treeHeight < 0) treeHeight = 0;
    if (tree_.Handle()) {
        SetWindowPos(tree_.Handle(), nullptr, 0, toolbarHeight, width, treeHeight, SWP_NOZORDER);
    }
    if (status_) SendMessageA(status_, SB_SETTEXTA, 0 | SBT_OWNERDRAW, 0);
    return 0;
}

LRESULT FeedTreePane::OnDrawItem(WPARAM wParam, LPARAM lParam) {
    auto draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!draw || !status_ || draw->hwndItem != status_) {
        return Default(WM_DRAWITEM, wParam, lParam);
    }
    HTREEITEM selected = tree_.Selected();
    if (selected) DrawUpdateStatus(draw->hDC, draw->rcItem, tree_.ProgressOf(selected));
    return TRUE;
}

// ---- the engine

LRESULT FeedTreePane::OnCopyData(WPARAM wParam, LPARAM lParam) {
    // A record of a batch cannot carry another batch.
    if (IsBatchRecord(WM_COPYDATA, wParam, lParam)) return 0;
    auto data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data) return 0;
    auto bytes = static_cast<const BYTE*>(data->lpData);
    batches_.emplace_back(bytes, bytes + (bytes ? data->cbData : 0));
    // The engine waits for nothing but this reply.
    ReplyMessage(0);
    if (walkingBatch_) return 0;
    walkingBatch_ = true;
    HoldRedraw();
    while (!batches_.empty()) {
        std::vector<BYTE> batch = std::move(batches_.front());
        batches_.pop_front();
        WalkUpdateBatch(batch.data(), batch.size(),
                        [this](UINT message, WPARAM w, LPARAM l) { SendRecord(message, w, l); });
    }
    walkingBatch_ = false;
    // Sent messages come before posted ones: a batch the engine has sent
    // meanwhile is walked before the tree redraws.
    bool moreSent = (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
    bool held = moreSent && GetTickCount() - redrawHeldSince_ < kLongestRedrawHoldMs &&
                PostMessageA(Handle(), WM_PANE_REDRAW, 0, 0);
    if (!held) ResumeRedraw();
    return 0;
}

// The tree redraws once for a run of batches, not once per record: some tree
// controls go over every shown item each time they redraw.
void FeedTreePane::HoldRedraw() {
    HWND tree = tree_.Handle();
    if (redrawHeld_ || !tree) return;
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    redrawHeld_ = true;
    redrawHeldSince_ = GetTickCount();
}

void FeedTreePane::ResumeRedraw() {
    if (!redrawHeld_) return;
    redrawHeld_ = false;
    HWND tree = tree_.Handle();
    if (tree && IsWindow(tree)) {
        SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(tree, nullptr, TRUE);
    }
}

void FeedTreePane::SendRecord(UINT message, WPARAM wParam, LPARAM lParam) {
    // A batch carries what the relay passes, and no batch within: a window
    // message of another kind (a notification, a command, a close) would act
    // on the sender's pointers or run the user's commands.
    if (!FeedTreePaneAgent::IsRelayed(message) || message == WM_COPYDATA) return;
    Record outer = record_;
    record_ = {true, message, wParam, lParam};
    SendMessageA(Handle(), message, wParam, lParam);
    record_ = outer;
}

bool FeedTreePane::IsBatchRecord(UINT message, WPARAM wParam, LPARAM lParam) const {
    return record_.active && record_.message == message && record_.wParam == wParam &&
           record_.lParam == lParam;
}

LRESULT FeedTreePane::OnEngineMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD node = static_cast<DWORD>(wParam);
    switch (message) {
        case WM_RSS_FOLDER:
        case WM_RSS_CHANNEL:
            tree_.Insert(node, static_cast<DWORD>(lParam), message == WM_RSS_CHANNEL);
            break;
        case WM_RSS_ITEM_TEXT:
            // Its strings live in the batch being walked, and nowhere else.
            if (IsBatchRecord(message, wParam, lParam)) {
                tree_.SetText(node, reinterpret_cast<const BYTE*>(lParam));
            }
            break;
        case WM_RSS_EXPAND:
            tree_.Expand(node, static_cast<UINT>(lParam));
            break;
        case WM_RSS_SORT:
            tree_.SortChildren(node);
            break;
        case WM_RSS_DELETE:
            tree_.Delete(node);
            break;
        case WM_RSS_UPDATE:
            OnUpdate(node, static_cast<int>(lParam));
            break;
        case WM_RSS_QUERY_UNREAD:
            tree_.QueryUnread();
            break;
        case WM_RSS_READ:
            tree_.Read(node);
            break;
        case WM_RSS_UNREAD:
            tree_.SetUnread(node, lParam == 0);
            break;
    }
    return 0;
}

void FeedTreePane::OnUpdate(DWORD node, int progress) {
    switch (tree_.Update(node, progress)) {
        case FeedTree::ShowAfterUpdate::Page:
            ShowChannelPage(kShowUnlessOnWeb, false);
            break;
        case FeedTree::ShowAfterUpdate::StatusBar:
            ShowChannelPage(kStatusOnly, false);
            break;
        case FeedTree::ShowAfterUpdate::Nothing:
            break;
    }
}

// Any thread of the browser process may ask; the name is copied without
// trusting the pointer, which another process could have sent.
LRESULT FeedTreePane::OnPartnerPage(LPARAM lParam) {
    std::string name = CopyPartnerPageName(reinterpret_cast<const char*>(lParam));
    ReplyMessage(0);
    HTREEITEM item = tree_.FindPage(FromThreadAnsi(name));
    if (!item) return 0;
    tree_.Select(item);
    pending_ = item;
    Post(WM_RSS_UPDATE, item, RSS_UPDATE_CHANNEL);
    return 0;
}

void FeedTreePane::Post(UINT message, HTREEITEM item, LPARAM lParam) const {
    engine_.PostForItem(message, tree_.Handle(), item, lParam);
}

// ---- showing a channel

void FeedTreePane::ShowChannelPage(int mode, bool refresh) {
    if (status_) InvalidateRect(status_, nullptr, TRUE);
    if (mode == kStatusOnly) return;
    if (mode == kShowUnlessOnWeb && browser_) {
        Bstr location;
        bool onWeb = SUCCEEDED(browser_->get_LocationURL(location.Receive())) && location.Get() &&
                     wcsncmp(location.Get(), L"http", 4) == 0;
        if (onWeb) return;
    }
    HTREEITEM selected = tree_.Selected();
    const wchar_t* page = tree_.PageName(selected);
    if (!page) {
        if (refresh && browser_) browser_->Refresh();
        return;
    }
    std::string path = PageFilePath(page);
    if (path.empty()) return;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (mode == kShowOrUpdate) Post(WM_RSS_UPDATE, selected, 0);
        return;
    }
    if (selected != pending_ || !browser_) return;
    Bstr url(FromThreadAnsi(path).c_str());
    browser_->Navigate(url.Get(), nullptr, nullptr, nullptr, nullptr);
    if (refresh) {
        browser_->Refresh();
    } else {
        browser_->Navigate(url.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    pending_ = nullptr;
}

void FeedTreePane::OpenItem(HTREEITEM item) {
    if (!item) return;
    tree_.Select(item);
    if (tree_.IsChannel(item)) Post(WM_RSS_READ, item, 0);
    pending_ = item;
    ShowChannelPage(kShowOrUpdate, false);
}

// A double click on a channel asks for a fresh page; folders open and
// close as the tree does it.
void FeedTreePane::UpdateLeaf() {
    HTREEITEM selected = tree_.Selected();
    if (!selected || tree_.FirstChild(selected)) return;
    pending_ = selected;
    Post(WM_RSS_UPDATE, selected, RSS_UPDATE_CHANNEL);
}

// ---- notifications

LRESULT FeedTreePane::OnNotify(WPARAM wParam, LPARAM lParam) {
    auto header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return 0;
    HWND toolbar = toolbar_.Handle();
    if (toolbar && header->hwndFrom == toolbar) {
        if (header->code == TBN_DROPDOWN) {
            return toolbar_.OnDropDown(reinterpret_cast<NMTOOLBARA*>(header), Handle(), sheets_);
        }
        if (header->code == NM_CUSTOMDRAW) {
            return toolbar_.OnCustomDraw(reinterpret_cast<NMCUSTOMDRAW*>(header));
        }
    }
    if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) {
        toolbar_.OnTooltip(header);
        return 0;
    }
    if (tree_.Handle() && header->hwndFrom == tree_.Handle()) {
        LRESULT result = OnTreeNotify(header);
        if (result >= 0) return result;
    }
    return Default(WM_NOTIFY, wParam, lParam);
}

// -1 for notifications the tree's owner leaves to the parent.
LRESULT FeedTreePane::OnTreeNotify(NMHDR* header) {
    auto change = reinterpret_cast<NMTREEVIEWA*>(header);
    switch (header->code) {
        case TVN_ITEMEXPANDEDA:
        case TVN_ITEMEXPANDEDW:
            tree_.ItemExpanded(change->itemNew.hItem);
            return 0;
        case TVN_BEGINDRAGA:
        case TVN_BEGINDRAGW:
            drag_.Begin(change->itemNew.hItem, change->ptDrag);
            return 0;
        case TVN_DELETEITEMA:
        case TVN_DELETEITEMW:
            ItemDeleted(change->itemOld.hItem, static_cast<DWORD>(change->itemOld.lParam));
            return 0;
        case NM_CLICK: {
            POINT cursor;
            GetCursorPos(&cursor);
            UINT flags = 0;
            HTREEITEM item = tree_.HitTest(cursor, &flags);
            if (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) OpenItem(item);
            return 0;
        }
        case NM_RETURN:
            OpenItem(tree_.Selected());
            return 0;
        case NM_DBLCLK:
            UpdateLeaf();
            return 0;
        default:
            return -1;
    }
}

// ---- commands

LRESULT FeedTreePane::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    if (RunTreeCommand(id)) return 0;
    if (id == ID_MORE_CHANNELS) {
        OpenDirectory();
        return 0;
    }
    if (IsStyleSheetCommand(id)) {
        ChooseStyle(id);
        return 0;
    }
    if (IsIntervalCommand(id)) {
        ChooseUpdateInterval(id);
        return 0;
    }
    return Default(WM_COMMAND, wParam, lParam);
}

bool FeedTreePane::RunTreeCommand(UINT id) {
    HTREEITEM selected = tree_.Selected();
    switch (id) {
        case ID_ADD_CHANNEL:
            AddChannel();
            return true;
        case ID_NEW_FOLDER:
            Post(WM_RSS_FOLDER, selected, 0);
            return true;
        case ID_UPDATE:
            UpdateSelected();
            return true;
        case ID_EXPORT:
            Post(WM_RSS_EXPORT, selected, 0);
            return true;
        case ID_DELETE:
            ConfirmDelete();
            return true;
        case ID_UPDATE_ALL:
            engine_.Post(WM_RSS_UPDATE, 0, RSS_UPDATE_FOLDER);
            return true;
        case ID_PROPERTIES:
            Post(WM_RSS_PROPERTIES, selected, 0);
            return true;
        case ID_MARK_READ:
            MarkRead();
            return true;
        default:
            return false;
    }
}

void FeedTreePane::AddChannel() {
    if (IsNewerEngine()) {
        engine_.Post(WM_RSS_CHANNEL, 0, reinterpret_cast<LPARAM>(Handle()));
    } else {
        Post(WM_RSS_CHANNEL, tree_.Selected(), 0);
    }
}

void FeedTreePane::UpdateSelected() {
    HTREEITEM selected = tree_.Selected();
    if (tree_.IsChannel(selected)) {
        pending_ = selected;
        Post(WM_RSS_UPDATE, selected, RSS_UPDATE_CHANNEL);
    } else {
        Post(WM_RSS_UPDATE, selected, RSS_UPDATE_FOLDER);
    }
}

// Whatever deleted an item, nothing keeps its handle: another item may get
// the same one.
void FeedTreePane::ItemDeleted(HTREEITEM item, DWORD node) {
    tree_.ItemDeleted(item, node);
    if (pending_ == item) pending_ = nullptr;
    drag_.ItemDeleted(item);
}

void FeedTreePane::ConfirmDelete() {
    HTREEITEM selected = tree_.Selected();
    if (!selected) return;
    DWORD node = tree_.NodeOf(selected);
    std::string name = tree_.Text(selected, kConfirmTextLength);
    if (tree_.IsBold(selected)) name = WithoutCount(name);
    std::string format =
        LoadText(tree_.IsChannel(selected) ? IDS_DELETE_CHANNEL : IDS_DELETE_FOLDER);
    std::string caption = LoadText(IDS_DELETE_CAPTION);
    char text[kStatusTextLength + kConfirmTextLength];
    wsprintfA(text, format.c_str(), name.c_str());
    int answer = MessageBoxA(Handle(), text, caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION);
    // The box's loop handles the engine's messages: the node it named may
    // be gone, and its item's handle another item's by now.
    if (answer != IDNO && tree_.Find(node)) engine_.Post(WM_RSS_DELETE, node, 0);
}

// Nothing selected marks nothing: the user picks what to mark.
void FeedTreePane::MarkRead() {
    HTREEITEM selected = tree_.Selected();
    if (!selected) return;
    MarkSubtreeRead(selected);
    if (tree_.IsChannel(selected)) {
        pending_ = selected;
        ShowChannelPage(kShowOrUpdate, false);
    }
}

void FeedTreePane::MarkSubtreeRead(HTREEITEM item) {
    for (HTREEITEM child = tree_.FirstChild(item); child; child = tree_.NextSibling(child)) {
        MarkSubtreeRead(child);
    }
    if (const wchar_t* page = tree_.PageName(item)) {
        harvest_.Harvest(page);
        Post(WM_RSS_READ, item, 0);
    }
}

void FeedTreePane::OpenDirectory() {
    if (!browser_) return;
    Bstr url(kFeedDirectoryUrl);
    browser_->Navigate(url.Get(), nullptr, nullptr, nullptr, nullptr);
}

void FeedTreePane::ChooseStyle(UINT id) {
    if (!ChooseStyleSheet(id, sheets_, DirectoryOf(Module::FileName()))) return;
    pending_ = tree_.Selected();
    ShowChannelPage(kShowUnlessOnWeb, true);
}

LRESULT FeedTreePane::OnContextMenu() {
    POINT cursor;
    GetCursorPos(&cursor);
    HTREEITEM hit = tree_.HitTest(cursor);
    tree_.Select(hit);
    MenuHandle menu(LoadMenuA(Module::Instance(), MAKEINTRESOURCEA(IDR_TREE_MENU)));
    if (!menu) return 0;
    HMENU popup = GetSubMenu(menu.Get(), 0);
    UINT state = MF_BYCOMMAND | (hit ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(popup, ID_DELETE, state);
    EnableMenuItem(popup, ID_PROPERTIES, state);
    CommandBarMenu bar(Module::Instance(), IDR_TOOLBAR);
    UINT command = bar.Track(Handle(), popup, cursor);
    PostMessageA(Handle(), WM_COMMAND, command, 0);
    return 0;
}

// ---- timer and drags

LRESULT FeedTreePane::OnTimer(UINT_PTR id) {
    if (id != TreeDragDrop::kTimer) return 0;
    drag_.ScrollStep();
    if (tree_.Handle()) {
        InvalidateRect(tree_.Handle(), nullptr, TRUE);
        UpdateWindow(tree_.Handle());
    }
    return 0;
}

LRESULT FeedTreePane::OnDragMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT point = ScreenPoint(lParam);
    switch (message) {
        case WM_RSS_DRAG_ENTER:
            drag_.OutsideEnter();
            break;
        case WM_RSS_DRAG_LEAVE:
            drag_.OutsideLeave();
            break;
        case WM_RSS_DRAG_SCROLL:
            drag_.OutsideScroll(point);
            break;
        case WM_RSS_DROP:
            if (!wParam) {
                drag_.OutsideOver(point);
            } else if (!IsBatchRecord(message, wParam, lParam) && !SentFromElsewhere()) {
                // The text is the drop target's, in this process only.
                drag_.OutsideDrop(reinterpret_cast<const char*>(wParam), point);
            }
            break;
    }
    return 0;
}
