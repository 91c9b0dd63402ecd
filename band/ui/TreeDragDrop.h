#pragma once
// Drag and drop on the feed tree: moving an item inside the tree (the pane
// asks the engine to move it; the tree changes only by the engine's reply)
// and text dragged in from outside the band (handed to the engine to add).
// Both scroll the tree while the pointer is near its top or bottom edge.
#include <windows.h>
#include <commctrl.h>

#include "common/ImageListHandle.h"

class EngineLink;
class FeedTree;

class TreeDragDrop {
public:
    // Timer 1 of the pane: the minute's repaint, or the scroll step while
    // a drag rests near an edge.
    static const UINT_PTR kTimer = 1;
    static const UINT kRepaintPeriod = 60000;
    static const UINT kTreeScrollPeriod = 100;
    static const UINT kOutsideScrollPeriod = 75;
    // Pixels at the top and bottom of the tree that start scrolling.
    static const int kScrollZone = 10;

    enum Direction { kNone = 0, kUp = 1, kDown = 2 };

    TreeDragDrop(FeedTree& tree, const EngineLink& engine) : tree_(tree), engine_(engine) {}
    TreeDragDrop(const TreeDragDrop&) = delete;
    TreeDragDrop& operator=(const TreeDragDrop&) = delete;

    void SetPane(HWND pane) { pane_ = pane; }

    // Moving inside the tree.
    void Begin(HTREEITEM item, POINT dragPoint);
    bool IsDragging() const { return dragging_; }
    void MouseMove();
    void ButtonUp();
    // The tree lost item: a drag of it ends without a move, and it is no
    // drop target any more (the next mouse move finds another).
    void ItemDeleted(HTREEITEM item);

    // From the band's drop target; points in screen coordinates.
    void OutsideEnter() { outside_ = true; }
    void OutsideOver(POINT screen);
    void OutsideScroll(POINT screen);
    void OutsideDrop(const char* text, POINT screen);
    void OutsideLeave();
    bool IsOutsideDrag() const { return outside_; }

    // Timer 1 while scrolling: one line, then the feedback at the cursor.
    void ScrollStep();
    Direction CurrentDirection() const { return direction_; }
    bool IsScrollTimerRunning() const { return scrolling_; }
    bool IsDropAllowed() const { return allowed_; }

private:
    Direction DirectionAt(POINT client) const;
    void SetDirection(Direction direction, UINT period);
    void StopScrolling();
    void Feedback(HTREEITEM target);
    bool IsRefused(HTREEITEM target) const;
    HTREEITEM ItemUnderCursor() const;
    void EndDragImage();
    // Ends an in-tree drag; true when it was allowed to drop.
    bool EndDrag();

    FeedTree& tree_;
    const EngineLink& engine_;
    HWND pane_ = nullptr;

    bool dragging_ = false;
    HTREEITEM dragged_ = nullptr;
    HTREEITEM target_ = nullptr;
    bool allowed_ = false;
    ImageListHandle dragImage_;
    HCURSOR savedCursor_ = nullptr;

    bool outside_ = false;
    bool scrolling_ = false;
    Direction direction_ = kNone;
};
