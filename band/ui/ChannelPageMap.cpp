#include "ui/ChannelPageMap.h"

#include <oleauto.h>

namespace {
const size_t kInitialBins = 17;

bool SamePage(const std::wstring& a, const std::wstring& b) {
    // VarBstrCmp reads the lengths in front of BSTRs: hand it real ones.
    BSTR left = SysAllocStringLen(a.data(), static_cast<UINT>(a.size()));
    BSTR right = SysAllocStringLen(b.data(), static_cast<UINT>(b.size()));
    bool same = left && right && VarBstrCmp(left, right, LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
    SysFreeString(left);
    SysFreeString(right);
    return same;
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
