#include "ui/FeedTree.h"

#include <cstring>

#include "common/GdiObject.h"
#include "res/resource.h"
#include "server/EngineLink.h"
#include "server/EngineProtocol.h"
#include "server/Module.h"
#include "server/PageName.h"
#include "server/ThreadCodePage.h"

namespace {

const DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                         TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                         TVS_INFOTIP;
const DWORD kTreeExStyle = WS_EX_CLIENTEDGE | WS_EX_TOPMOST;
const int kSortedTextLength = 200;

// A string of the engine's batch, which may lie at an odd address; `at`
// moves past its NUL.
std::wstring ReadBatchString(const BYTE*& at) {
    std::wstring text;
    for (;;) {
        wchar_t ch;
        std::memcpy(&ch, at, sizeof ch);
        at += sizeof ch;
        if (!ch) return text;
        text += ch;
    }
}

bool IsFolderImage(int image) {
    return image == FeedTree::kClosedFolder || image == FeedTree::kOpenFolder;
}

// The picture an item returns to when an update ends: folders keep their
// own picture (an engine may report progress on one), channels show a page.
int ImageAfterUpdate(int image) {
    if (image >= FeedTree::kBusyFirst) image -= FeedTree::kBusyFirst;
    return IsFolderImage(image) ? image : static_cast<int>(FeedTree::kPage);
}

}  // namespace

FeedTree::FeedTree(const EngineLink& engine) : engine_(engine) {}

FeedTree::~FeedTree() {
    // The control may outlive its image list only while it is destroyed.
    if (tree_ && IsWindow(tree_)) TreeView_SetImageList(tree_, nullptr, TVSIL_NORMAL);
}

HWND FeedTree::Create(HWND pane) {
    tree_ = CreateWindowExA(kTreeExStyle, WC_TREEVIEWA, nullptr, kTreeStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, pane, nullptr,
                            Module::Instance(), nullptr);
    images_.Reset(ImageList_Create(16, 16, ILC_COLOR24, 0, 8));
    // The list keeps a copy of the pictures.
    GdiObject<HBITMAP> bitmap(LoadBitmapA(Module::Instance(), MAKEINTRESOURCEA(IDB_TREE)));
    if (images_ && bitmap) ImageList_Add(images_.Get(), bitmap.Get(), nullptr);
    if (tree_ && images_) TreeView_SetImageList(tree_, images_.Get(), TVSIL_NORMAL);
    return tree_;
}

// ---- engine replies

void FeedTree::Insert(DWORD node, DWORD parent, bool channel) {
    // 0 names no node; an id already shown stays as it is.
    if (!tree_ || node == 0 || nodes_.Contains(node)) return;
    HTREEITEM parentItem = nodes_.Find(parent);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parentItem ? parentItem : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>("");
    insert.item.lParam = node;
    if (channel) {
        insert.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.iImage = insert.item.iSelectedImage = kPage;
    }
    HTREEITEM item = TreeView_InsertItem(tree_, &insert);
    if (!item) return;
    nodes_.Set(node, item);
    if (parentItem) OpenParent(parentItem);
}

// A folder opens as its channels arrive. Channels come in runs under one
// folder, and some tree controls look an item up among all of them on every
// call: the folder last found open is not asked again.
void FeedTree::OpenParent(HTREEITEM parent) {
    if (parent == openParent_) return;
    if (TreeView_GetItemState(tree_, parent, TVIS_EXPANDED) & TVIS_EXPANDED) {
        openParent_ = parent;
    } else {
        TreeView_Expand(tree_, parent, TVE_EXPAND);
    }
}

void FeedTree::SetText(DWORD node, const BYTE* textAndPage) {
    HTREEITEM item = nodes_.Find(node);
    if (!item || !textAndPage) return;
    const BYTE* at = textAndPage;
    std::wstring text = ReadBatchString(at);
    std::wstring page = ReadBatchString(at);
    std::string label = ToThreadAnsi(text.c_str());
    TVITEMA change = {};
    change.mask = TVIF_HANDLE | TVIF_TEXT;
    change.hItem = item;
    change.pszText = &label[0];
    TreeView_SetItem(tree_, &change);
    // A name that is no plain file name would lead the browser or the
    // harvest out of the temporary folder: the node gets no page.
    if (IsPlainPageName(page.c_str())) pages_.Set(item, page);
}

void FeedTree::Expand(DWORD node, UINT code) {
    openParent_ = nullptr;
    if (HTREEITEM item = nodes_.Find(node)) TreeView_Expand(tree_, item, code);
}

void FeedTree::SortChildren(DWORD node) {
    HTREEITEM item = nodes_.Find(node);
    if (!item) return;
    // Each child is read once, not at every comparison: some tree controls
    // look an item up among all of them on every call.
    SortKeys keys;
    for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child)) {
        char text[kSortedTextLength] = "";
        TVITEMA query = {};
        query.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_IMAGE | TVIF_TEXT;
        query.hItem = child;
        query.pszText = text;
        query.cchTextMax = kSortedTextLength;
        if (TreeView_GetItem(tree_, &query)) keys[query.lParam] = {query.iImage, text};
    }
    TVSORTCB sort = {};
    sort.hParent = item;
    sort.lpfnCompare = CompareNodes;
    sort.lParam = reinterpret_cast<LPARAM>(&keys);
    TreeView_SortChildrenCB(tree_, &sort, FALSE);
}

// Folders before channels; a channel that is failed or busy shows another
// picture and is ordered by its text among the folders.
int CALLBACK FeedTree::CompareNodes(LPARAM first, LPARAM second, LPARAM keys) {
    const SortKeys& sortKeys = *reinterpret_cast<const SortKeys*>(keys);
    static const SortKey kUnknown = {-1, std::string()};
    auto a = sortKeys.find(first), b = sortKeys.find(second);
    const SortKey& keyA = a == sortKeys.end() ? kUnknown : a->second;
    const SortKey& keyB = b == sortKeys.end() ? kUnknown : b->second;
    if (keyA.image == kPage && IsFolderImage(keyB.image)) return 1;
    if (IsFolderImage(keyA.image) && keyB.image == kPage) return -1;
    return lstrcmpA(keyA.text.c_str(), keyB.text.c_str());
}

void FeedTree::Delete(DWORD node) {
    HTREEITEM item = nodes_.Find(node);
    if (!item) return;
    HTREEITEM parent = Parent(item);
    // The control reports each item it removes, children first (ItemDeleted).
    TreeView_DeleteItem(tree_, item);
    if (parent && !FirstChild(parent)) {
        SetImage(parent, kClosedFolder);
        engine_.Post(WM_RSS_EXPAND, NodeOf(parent), 0);
    }
}

void FeedTree::ItemDeleted(HTREEITEM item, DWORD node) {
    // A folder may close with its last child.
    openParent_ = nullptr;
    if (nodes_.Find(node) == item) nodes_.Remove(node);
    pages_.Remove(item);
}

FeedTree::ShowAfterUpdate FeedTree::Update(DWORD node, int progress) {
    HTREEITEM item = nodes_.Find(node);
    if (!item) return ShowAfterUpdate::Nothing;
    bool selected = item == Selected();
    int image = ImageOf(item);
    if (progress > RSS_PROGRESS_DONE) {
        SetProgress(item, 0);
        SetImage(item, ImageAfterUpdate(image));
        return selected ? ShowAfterUpdate::Page : ShowAfterUpdate::Nothing;
    }
    if (progress < 0) {
        SetProgress(item, kProgressFailed);
        int rest = ImageAfterUpdate(image);
        SetImage(item, IsFolderImage(rest) ? rest : static_cast<int>(kFailedPage));
    } else {
        // Progress never goes back while an update runs.
        int stored = ProgressOf(item);
        if (stored > RSS_PROGRESS_DONE || stored < progress) SetProgress(item, progress);
        SetImage(item, kBusyFirst + image % 4);
    }
    return selected ? ShowAfterUpdate::StatusBar : ShowAfterUpdate::Nothing;
}

void FeedTree::SetUnread(DWORD node, bool unread) {
    if (HTREEITEM item = nodes_.Find(node)) {
        if (unread != IsBold(item)) SetBold(item, unread);
    }
}

void FeedTree::Read(DWORD node) {
    HTREEITEM item = nodes_.Find(node);
    if (!item || !IsBold(item)) return;
    SetBold(item, false);
    LPARAM pane = reinterpret_cast<LPARAM>(Pane());
    for (HTREEITEM up = Parent(item); up; up = Parent(up)) {
        engine_.Post(WM_RSS_UNREAD, NodeOf(up), pane);
    }
}

void FeedTree::QueryUnread() const {
    if (tree_) QuerySubtree(TreeView_GetRoot(tree_));
}

// Children before their parent, siblings in order.
void FeedTree::QuerySubtree(HTREEITEM first) const {
    LPARAM pane = reinterpret_cast<LPARAM>(Pane());
    for (HTREEITEM item = first; item; item = NextSibling(item)) {
        QuerySubtree(FirstChild(item));
        engine_.Post(WM_RSS_UNREAD, NodeOf(item), pane);
    }
}

void FeedTree::ItemExpanded(HTREEITEM item) {
    openParent_ = nullptr;
    if (!item) return;
    bool expanded = (TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    SetImage(item, expanded ? kOpenFolder : kClosedFolder);
    engine_.Post(WM_RSS_EXPAND, NodeOf(item), expanded ? 1 : 0);
}

// ---- items

DWORD FeedTree::NodeOf(HTREEITEM item) const {
    return NodeOfItem(tree_, item);
}

HTREEITEM FeedTree::Selected() const {
    return tree_ ? TreeView_GetSelection(tree_) : nullptr;
}

void FeedTree::Select(HTREEITEM item) const {
    if (tree_) TreeView_SelectItem(tree_, item);
}

HTREEITEM FeedTree::Parent(HTREEITEM item) const {
    return item ? TreeView_GetParent(tree_, item) : nullptr;
}

HTREEITEM FeedTree::FirstChild(HTREEITEM item) const {
    return item ? TreeView_GetChild(tree_, item) : nullptr;
}

HTREEITEM FeedTree::NextSibling(HTREEITEM item) const {
    return item ? TreeView_GetNextSibling(tree_, item) : nullptr;
}

int FeedTree::ImageOf(HTREEITEM item) const {
    if (!item) return -1;
    TVITEMA query = {};
    query.mask = TVIF_HANDLE | TVIF_IMAGE;
    query.hItem = item;
    return TreeView_GetItem(tree_, &query) ? query.iImage : -1;
}

void FeedTree::SetImage(HTREEITEM item, int image) const {
    TVITEMA change = {};
    change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    change.hItem = item;
    change.iImage = change.iSelectedImage = image;
    TreeView_SetItem(tree_, &change);
}

int FeedTree::ProgressOf(HTREEITEM item) const {
    if (!item) return 0;
    return (TreeView_GetItemState(tree_, item, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >> 12;
}

void FeedTree::SetProgress(HTREEITEM item, int progress) const {
    TreeView_SetItemState(tree_, item, INDEXTOSTATEIMAGEMASK(progress), TVIS_STATEIMAGEMASK);
}

bool FeedTree::IsBold(HTREEITEM item) const {
    return item && (TreeView_GetItemState(tree_, item, TVIS_BOLD) & TVIS_BOLD) != 0;
}

void FeedTree::SetBold(HTREEITEM item, bool bold) const {
    TreeView_SetItemState(tree_, item, bold ? TVIS_BOLD : 0, TVIS_BOLD);
}

std::string FeedTree::Text(HTREEITEM item, int size) const {
    if (!item || size <= 0) return std::string();
    std::string text(size, '\0');
    TVITEMA query = {};
    query.mask = TVIF_HANDLE | TVIF_TEXT;
    query.hItem = item;
    query.pszText = &text[0];
    query.cchTextMax = size;
    if (!TreeView_GetItem(tree_, &query)) return std::string();
    text.resize(lstrlenA(text.c_str()));
    return text;
}

HTREEITEM FeedTree::HitTest(POINT screen, UINT* flags) const {
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    if (tree_) ScreenToClient(tree_, &hit.pt);
    HTREEITEM item = tree_ ? TreeView_HitTest(tree_, &hit) : nullptr;
    if (flags) *flags = hit.flags;
    return item;
}

void FeedTree::SetDropTarget(HTREEITEM item) const {
    if (!tree_) return;
    HTREEITEM previous = TreeView_GetDropHilight(tree_);
    TreeView_SelectDropTarget(tree_, item);
    // Some tree controls skip clearing the mark while nothing is selected.
    if (previous && previous != item) {
        TreeView_SetItemState(tree_, previous, 0, TVIS_DROPHILITED);
    }
}
