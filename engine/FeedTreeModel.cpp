#include "engine/FeedTreeModel.h"

#include <algorithm>
#include <string>

FeedNode* FeedTreeModel::Find(DWORD id) {
    auto found = index_.find(id);
    return found == index_.end() ? nullptr : &nodes_[found->second];
}

const FeedNode* FeedTreeModel::Find(DWORD id) const {
    return const_cast<FeedTreeModel*>(this)->Find(id);
}

DWORD FeedTreeModel::NextId() const {
    DWORD next = 1;
    for (const FeedNode& node : nodes_) next = std::max(next, node.id + 1);
    return next;
}

std::wstring FeedTreeModel::NewPageName(DWORD id) const {
    std::wstring page = L"feed_" + std::to_wstring(id);
    for (int n = 2;; ++n) {
        bool used = false;
        for (const FeedNode& node : nodes_) used = used || node.page == page;
        if (!used) return page;
        page = L"feed_" + std::to_wstring(id) + L"_" + std::to_wstring(n);
    }
}

void FeedTreeModel::Add(const FeedNode& node) {
    if (FeedNode* existing = Find(node.id)) {
        *existing = node;
    } else {
        index_[node.id] = nodes_.size();
        nodes_.push_back(node);
    }
}

void FeedTreeModel::Clear() {
    nodes_.clear();
    index_.clear();
}

void FeedTreeModel::Reindex() {
    index_.clear();
    for (size_t at = 0; at < nodes_.size(); ++at) index_[nodes_[at].id] = at;
}

void FeedTreeModel::Remove(DWORD id) {
    std::vector<DWORD> gone = Subtree(id);
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(),
                                [&gone](const FeedNode& node) {
                                    return std::find(gone.begin(), gone.end(), node.id) !=
                                           gone.end();
                                }),
                 nodes_.end());
    Reindex();
}

bool FeedTreeModel::IsBelow(DWORD id, DWORD ancestor) const {
    // Bounded: a script may have made two nodes each other's parent.
    size_t steps = nodes_.size();
    for (const FeedNode* node = Find(id); node && node->parent && steps--;
         node = Find(node->parent)) {
        if (node->parent == ancestor) return true;
    }
    return false;
}

bool FeedTreeModel::Move(DWORD id, DWORD folder) {
    FeedNode* node = Find(id);
    if (!node || folder == id || IsBelow(folder, id)) return false;
    if (folder && (!Find(folder) || !Find(folder)->folder)) return false;
    // Children must keep following their parent in the list.
    std::vector<DWORD> moved = Subtree(id);
    node->parent = folder;
    std::vector<FeedNode> kept, tail;
    for (const FeedNode& each : nodes_) {
        bool inMoved = std::find(moved.begin(), moved.end(), each.id) != moved.end();
        (inMoved ? tail : kept).push_back(each);
    }
    kept.insert(kept.end(), tail.begin(), tail.end());
    nodes_.swap(kept);
    Reindex();
    return true;
}

DWORD FeedTreeModel::FolderFor(DWORD selected) const {
    const FeedNode* node = Find(selected);
    if (!node) return 0;
    return node->folder ? node->id : node->parent;
}

std::vector<DWORD> FeedTreeModel::Subtree(DWORD id) const {
    std::vector<DWORD> result;
    if (!Find(id)) return result;
    result.push_back(id);
    for (const FeedNode& node : nodes_) {
        if (IsBelow(node.id, id)) result.push_back(node.id);
    }
    return result;
}

std::vector<DWORD> FeedTreeModel::ChannelsFor(DWORD id) const {
    std::vector<DWORD> result;
    for (const FeedNode& node : nodes_) {
        if (node.folder) continue;
        if (id == 0 || node.id == id || IsBelow(node.id, id)) result.push_back(node.id);
    }
    return result;
}

size_t FeedTreeModel::ChildCount(DWORD id) const {
    size_t count = 0;
    for (const FeedNode& node : nodes_) count += node.parent == id;
    return count;
}

bool FeedTreeModel::HasUnread(DWORD id) const {
    for (const FeedNode& node : nodes_) {
        if (!node.folder && node.unread && (node.id == id || IsBelow(node.id, id))) return true;
    }
    return false;
}
