#include "ui/TreeDragDrop.h"

#include "server/EngineLink.h"
#include "server/EngineProtocol.h"
#include "ui/FeedTree.h"

// ---- moving inside the tree

void TreeDragDrop::Begin(HTREEITEM item, POINT dragPoint) {
    if (dragging_ || !item) return;
    HWND tree = tree_.Handle();
    dragged_ = item;
    target_ = nullptr;
    savedCursor_ = GetCursor();
    dragImage_.Reset(TreeView_CreateDragImage(tree, item));
    SetCapture(pane_);
    dragging_ = true;
    if (dragImage_) {
        ImageList_BeginDrag(dragImage_.Get(), 0, 0, 0);
        ImageList_DragEnter(tree, dragPoint.x, dragPoint.y);
    }
    allowed_ = false;
}

void TreeDragDrop::MouseMove() {
    if (!dragging_) return;
    POINT cursor;
    GetCursorPos(&cursor);
    POINT client = cursor;
    ScreenToClient(tree_.Handle(), &client);
    Direction direction = DirectionAt(client);
    if (direction != kNone) {
        SetDirection(direction, kTreeScrollPeriod);
    } else {
        StopScrolling();
    }
    ImageList_DragMove(client.x, client.y);
    ImageList_DragShowNolock(FALSE);
    Feedback(tree_.HitTest(cursor));
    ImageList_DragShowNolock(TRUE);
}

bool TreeDragDrop::IsRefused(HTREEITEM target) const {
    HTREEITEM home = tree_.Parent(dragged_);
    if (target == dragged_ || target == home) return true;
    return tree_.IsChannel(target) && tree_.Parent(target) == home;
}

void TreeDragDrop::Feedback(HTREEITEM target) {
    tree_.SetDropTarget(target);
    if (IsRefused(target)) {
        SetCursor(LoadCursorA(nullptr, IDC_NO));
        allowed_ = false;
    } else {
        SetCursor(savedCursor_);
        allowed_ = true;
        target_ = target;
    }
}

void TreeDragDrop::ButtonUp() {
    if (!dragging_ || !EndDrag()) return;
    HTREEITEM folder = tree_.IsChannel(target_) ? tree_.Parent(target_) : target_;
    engine_.Post(WM_RSS_MOVE, tree_.NodeOf(dragged_), tree_.NodeOf(folder));
}

bool TreeDragDrop::EndDrag() {
    StopScrolling();
    EndDragImage();
    dragging_ = false;
    ReleaseCapture();
    tree_.SetDropTarget(nullptr);
    SetCursor(savedCursor_);
    InvalidateRect(tree_.Handle(), nullptr, TRUE);
    return allowed_;
}

// A move made in another browser window arrives as a delete and an insert,
// which may give the dragged item's or the target's handle to another item.
void TreeDragDrop::ItemDeleted(HTREEITEM item) {
    if (!dragging_) return;
    if (item == dragged_) {
        allowed_ = false;
        EndDrag();
        dragged_ = target_ = nullptr;
    } else if (item == target_) {
        allowed_ = false;
        target_ = nullptr;
    }
}

void TreeDragDrop::EndDragImage() {
    if (!dragImage_) return;
    ImageList_DragLeave(tree_.Handle());
    ImageList_EndDrag();
    dragImage_.Reset();
}

// ---- text from outside the band

void TreeDragDrop::OutsideOver(POINT screen) {
    tree_.SetDropTarget(tree_.HitTest(screen));
    OutsideScroll(screen);
}

void TreeDragDrop::OutsideScroll(POINT screen) {
    if (!outside_) return;
    POINT client = screen;
    ScreenToClient(tree_.Handle(), &client);
    Direction direction = DirectionAt(client);
    if (direction != kNone) {
        SetDirection(direction, kOutsideScrollPeriod);
    } else {
        StopScrolling();
    }
}

void TreeDragDrop::OutsideDrop(const char* text, POINT screen) {
    tree_.SetDropTarget(nullptr);
    HTREEITEM item = tree_.HitTest(screen);
    tree_.Select(item);
    engine_.SendDroppedText(pane_, tree_.NodeOf(item), text);
    StopScrolling();
    outside_ = false;
}

void TreeDragDrop::OutsideLeave() {
    if (!outside_) return;
    outside_ = false;
    StopScrolling();
    // The mark would otherwise stay on the item the drag last passed.
    tree_.SetDropTarget(nullptr);
}

// ---- scrolling

TreeDragDrop::Direction TreeDragDrop::DirectionAt(POINT client) const {
    RECT area;
    GetClientRect(tree_.Handle(), &area);
    if (client.y < area.top + kScrollZone) return kUp;
    if (client.y >= area.bottom - kScrollZone) return kDown;
    return kNone;
}

void TreeDragDrop::SetDirection(Direction direction, UINT period) {
    direction_ = direction;
    if (scrolling_) return;
    SetTimer(pane_, kTimer, period, nullptr);
    scrolling_ = true;
}

// The timer goes back to the minute's repaint.
void TreeDragDrop::StopScrolling() {
    direction_ = kNone;
    if (!scrolling_) return;
    KillTimer(pane_, kTimer);
    scrolling_ = false;
    SetTimer(pane_, kTimer, kRepaintPeriod, nullptr);
}

void TreeDragDrop::ScrollStep() {
    if (direction_ == kNone) return;
    SendMessageA(tree_.Handle(), WM_VSCROLL, direction_ == kUp ? SB_LINEUP : SB_LINEDOWN, 0);
    if (outside_ || !dragging_) return;
    ImageList_DragShowNolock(FALSE);
    Feedback(ItemUnderCursor());
    ImageList_DragShowNolock(TRUE);
}

HTREEITEM TreeDragDrop::ItemUnderCursor() const {
    POINT cursor;
    GetCursorPos(&cursor);
    return tree_.HitTest(cursor);
}
