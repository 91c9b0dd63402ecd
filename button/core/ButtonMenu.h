#pragma once
#include <windows.h>

#include "core/HostRecord.h"

// Building the button's drop-down from the store: the entries of the menu
// and one submenu per subscription with its newest items, as the owner-drawn
// items the host draws.

struct ButtonMenuState {
    bool pageHasFeeds = false;  // offer "add this feed"
    bool refreshing = false;    // a refresh runs somewhere: refresh entries greyed
    bool loggedIn = false;      // the web reader entry enters instead of logging in
};

// Menu resource 101 without its placeholder: the loaded menu (to destroy) and
// its first popup, now empty. Null when the resource is missing.
HMENU LoadButtonMenu(HMENU* popup);

// Appends every entry under the state to menu, an empty menu of
// OwnerDrawMenu, each item with a record of owner. A subscription without a
// cache is refreshed first, on this thread, unless it came by an import. Only
// the first 240 subscriptions get entries: later numbers have no 16-bit
// command identifiers. False when an item could not be added: the menu is
// then not to be shown.
bool AppendButtonMenuEntries(HMENU menu, HostRecord* owner, const wchar_t* rssIni,
                             const ButtonMenuState& state);
