#pragma once
#include <windows.h>
#include <exdisp.h>

#include "page/FeedLink.h"

// True when a link element's type names an RSS or Atom document: a
// case-sensitive substring test, so parameters after the type still count.
bool IsFeedLinkType(const wchar_t* type);

// True as soon as one link element of the browser's current page advertises
// a feed; the rest of the page is not examined.
bool HasPageFeeds(IWebBrowser2* browser);

// Appends a record for every advertised feed in document order, its href
// resolved against the page address; returns how many were appended. A
// failing document call ends the walk with what was found so far.
int CollectPageFeeds(IWebBrowser2* browser, FeedLinkList* list);
