#pragma once
// The feed tree: the tree-view control of the pane with the two maps that
// tie its items to the engine's nodes and the channels' page names. The
// engine's replies change it here; nothing else adds or removes items.
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <unordered_map>

#include "common/ImageListHandle.h"
#include "ui/ChannelPageMap.h"
#include "ui/NodeItemMap.h"

class EngineLink;

class FeedTree {
public:
    // Pictures of bitmap 1100.
    enum Image {
        kClosedFolder = 0,
        kOpenFolder = 1,
        kPage = 2,
        kFailedPage = 3,
        kBusyFirst = 4,  // 4-7: circling arrows, 4 + the resting image mod 4
    };
    // Update progress kept in the state-image bits: 0 ready, 1-10 tenths.
    static const int kProgressFailed = 15;
    // What the pane does after a progress report about the selected item.
    enum class ShowAfterUpdate { Nothing, StatusBar, Page };

    explicit FeedTree(const EngineLink& engine);
    ~FeedTree();
    FeedTree(const FeedTree&) = delete;
    FeedTree& operator=(const FeedTree&) = delete;

    // The tree control and its image list, as a child of pane.
    HWND Create(HWND pane);
    HWND Handle() const { return tree_; }

    // Engine replies; messages about unknown nodes change nothing.
    void Insert(DWORD node, DWORD parent, bool channel);
    void SetText(DWORD node, const BYTE* textAndPage);
    void Expand(DWORD node, UINT code);
    void SortChildren(DWORD node);
    void Delete(DWORD node);
    ShowAfterUpdate Update(DWORD node, int progress);
    void SetUnread(DWORD node, bool unread);
    void Read(DWORD node);
    void QueryUnread() const;

    // The user opened or closed a folder: its picture follows, the engine is told.
    void ItemExpanded(HTREEITEM item);
    // The control deleted an item of this node (TVN_DELETEITEM): by our own
    // delete, or by an expansion code that resets the item's children. No
    // map keeps its handle.
    void ItemDeleted(HTREEITEM item, DWORD node);

    HTREEITEM Find(DWORD node) const { return nodes_.Find(node); }
    DWORD NodeOf(HTREEITEM item) const;
    bool IsChannel(HTREEITEM item) const { return pages_.IsChannel(item); }
    const wchar_t* PageName(HTREEITEM item) const { return pages_.Find(item); }
    HTREEITEM FindPage(const std::wstring& page) const { return pages_.FindPage(page); }
    size_t NodeCount() const { return nodes_.Size(); }

    HTREEITEM Selected() const;
    void Select(HTREEITEM item) const;
    HTREEITEM Parent(HTREEITEM item) const;
    HTREEITEM FirstChild(HTREEITEM item) const;
    HTREEITEM NextSibling(HTREEITEM item) const;
    int ImageOf(HTREEITEM item) const;
    int ProgressOf(HTREEITEM item) const;
    bool IsBold(HTREEITEM item) const;
    // The label, read into a buffer of `size` characters.
    std::string Text(HTREEITEM item, int size) const;
    // The item under a point in screen coordinates; flags receives TVHT_*.
    HTREEITEM HitTest(POINT screen, UINT* flags = nullptr) const;
    void SetDropTarget(HTREEITEM item) const;

private:
    // A child's picture and label, by its node id, while its folder is sorted.
    struct SortKey {
        int image;
        std::string text;
    };
    using SortKeys = std::unordered_map<LPARAM, SortKey>;
    static int CALLBACK CompareNodes(LPARAM first, LPARAM second, LPARAM keys);
    HWND Pane() const { return GetParent(tree_); }
    void OpenParent(HTREEITEM parent);
    void SetImage(HTREEITEM item, int image) const;
    void SetProgress(HTREEITEM item, int progress) const;
    void SetBold(HTREEITEM item, bool bold) const;
    void QuerySubtree(HTREEITEM first) const;

    const EngineLink& engine_;
    HWND tree_ = nullptr;
    ImageListHandle images_;
    NodeItemMap nodes_;
    ChannelPageMap pages_;
    // Open when last asked; forgotten whenever a folder opens or closes, or
    // an item goes.
    HTREEITEM openParent_ = nullptr;
};
