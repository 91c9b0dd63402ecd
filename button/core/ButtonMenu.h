#pragma once
#include <windows.h>

#include "feeds/IniSnapshot.h"

// Building the button's drop-down from the store: the entries of the menu
// and one submenu per subscription with its newest items. The menu built here
// is plain; OwnerDrawMenu makes the copy the host draws.

struct ButtonMenuState {
    bool pageHasFeeds = false;  // offer "add this feed"
    bool refreshing = false;    // a refresh runs somewhere: refresh entries greyed
    bool loggedIn = false;      // the web reader entry enters instead of logging in
};

// Menu resource 101 without its placeholder: the loaded menu (to destroy) and
// its first popup, now empty. Null when the resource is missing.
HMENU LoadButtonMenu(HMENU* popup);

// Appends every entry under the state. A subscription without a cache is
// refreshed first, on this thread, unless it came by an import. Only the first 240 subscriptions
// get entries: later numbers have no 16-bit command identifiers.
void AppendButtonMenuEntries(HMENU popup, const wchar_t* rssIni, const ButtonMenuState& state);

// One subscription's submenu: its newest 15 items, then refresh and open site.
// rss is "rss.ini" as read at the start of the build, cache the feed cache.
HMENU BuildSubscriptionMenu(const IniSnapshot& rss, const IniSnapshot& cache, int number,
                            bool refreshing);
