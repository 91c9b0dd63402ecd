#pragma once
// The engine's subscriptions: folders and channels by node id, in the order
// they were added (parents before their children).
#include <windows.h>
#include <string>
#include <unordered_map>
#include <vector>

struct FeedNode {
    DWORD id = 0;
    DWORD parent = 0;  // 0: top level
    bool folder = false;
    std::wstring text;
    std::wstring page;     // empty for folders
    std::wstring address;  // the feed; empty for folders
    bool expanded = true;  // folders only
    bool titled = false;   // the user or the feed gave the title
    bool unread = false;
};

class FeedTreeModel {
public:
    const std::vector<FeedNode>& Nodes() const { return nodes_; }
    FeedNode* Find(DWORD id);
    const FeedNode* Find(DWORD id) const;
    DWORD NextId() const;
    // A page name no other channel uses.
    std::wstring NewPageName(DWORD id) const;

    // Replaces a node of the same id.
    void Add(const FeedNode& node);
    void Clear();
    // The node and everything below it.
    void Remove(DWORD id);
    // Moves id into folder (0: top level); false when the folder lies below
    // the node or is the node itself.
    bool Move(DWORD id, DWORD folder);
    // The folder a new node goes into when the user has `selected`: the
    // folder itself, a channel's folder, or the top level.
    DWORD FolderFor(DWORD selected) const;

    // The node and its descendants, parents first.
    std::vector<DWORD> Subtree(DWORD id) const;
    // Channels to update for a request about `id` (0: all of them).
    std::vector<DWORD> ChannelsFor(DWORD id) const;
    bool HasUnread(DWORD id) const;
    bool IsBelow(DWORD id, DWORD ancestor) const;
    size_t ChildCount(DWORD id) const;

private:
    // After nodes changed places.
    void Reindex();

    std::vector<FeedNode> nodes_;
    std::unordered_map<DWORD, size_t> index_;  // id -> position in nodes_
};
