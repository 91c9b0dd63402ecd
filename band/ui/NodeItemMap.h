#pragma once
// Engine node id -> tree item. The engine names nodes only by id; every
// message about a node goes through this map, so ids it does not know are
// simply not found.
#include <windows.h>
#include <commctrl.h>
#include <unordered_map>

class NodeItemMap {
public:
    NodeItemMap();

    // Null when the node is unknown (or 0).
    HTREEITEM Find(DWORD node) const;
    bool Contains(DWORD node) const { return Find(node) != nullptr; }
    void Set(DWORD node, HTREEITEM item);
    void Remove(DWORD node);
    size_t Size() const { return items_.size(); }

private:
    std::unordered_map<DWORD, HTREEITEM> items_;
};
