#pragma once
// Tree item -> page name of a channel. An item is a channel exactly when it
// has an entry here; the entry appears only once the engine names a page.
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <unordered_map>

class ChannelPageMap {
public:
    ChannelPageMap();

    bool IsChannel(HTREEITEM item) const { return item && pages_.count(item) != 0; }
    // Null when the item has no page name.
    const wchar_t* Find(HTREEITEM item) const;
    // An empty name leaves the map as it is.
    void Set(HTREEITEM item, const std::wstring& page);
    void Remove(HTREEITEM item);

    // The first channel, in the map's order, whose page name equals page
    // (compared as the browser compares strings in the user's locale); null
    // when none does.
    HTREEITEM FindPage(const std::wstring& page) const;

private:
    std::unordered_map<HTREEITEM, std::wstring> pages_;
};
