#include "ui/NodeItemMap.h"

namespace {
// A band usually holds a few dozen nodes; large trees grow the table.
const size_t kInitialBins = 17;
}  // namespace

NodeItemMap::NodeItemMap() {
    items_.reserve(kInitialBins);
}

HTREEITEM NodeItemMap::Find(DWORD node) const {
    if (node == 0) return nullptr;
    auto found = items_.find(node);
    return found == items_.end() ? nullptr : found->second;
}

void NodeItemMap::Set(DWORD node, HTREEITEM item) {
    items_[node] = item;
}

void NodeItemMap::Remove(DWORD node) {
    items_.erase(node);
}
