#include "ui/ChannelPageMap.h"

#include <oleauto.h>

#include "common/Bstr.h"

namespace {
const size_t kInitialBins = 17;

bool SamePage(const std::wstring& a, const std::wstring& b) {
    // VarBstrCmp reads the lengths in front of BSTRs: hand it real ones.
    Bstr left(a), right(b);
    return left.Get() && right.Get() &&
           VarBstrCmp(left.Get(), right.Get(), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
}
}  // namespace

ChannelPageMap::ChannelPageMap() {
    pages_.reserve(kInitialBins);
}

const wchar_t* ChannelPageMap::Find(HTREEITEM item) const {
    auto found = pages_.find(item);
    return found == pages_.end() ? nullptr : found->second.c_str();
}

void ChannelPageMap::Set(HTREEITEM item, const std::wstring& page) {
    if (item && !page.empty()) pages_[item] = page;
}

void ChannelPageMap::Remove(HTREEITEM item) {
    pages_.erase(item);
}

HTREEITEM ChannelPageMap::FindPage(const std::wstring& page) const {
    for (const auto& entry : pages_) {
        if (SamePage(entry.second, page)) return entry.first;
    }
    return nullptr;
}
