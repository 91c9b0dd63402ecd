#pragma once
#include <windows.h>

#include "common/OpmlReader.h"

class IniSnapshot;

// Bringing another reader's subscription list (OPML) into the store. Every
// outline with a usable feed address counts, however deeply nested; an
// address already subscribed, or listed earlier in the document, is skipped.
// The rest are appended in document order with their titles, marked as
// imported and without a cache: the background refresh fetches them, never
// the drop-down. The store takes them in one change under the store lock,
// all of them or none.

struct ImportSummary {
    OpmlVerdict verdict = OpmlVerdict::kUnreadable;  // the document's
    bool stored = false;  // the store took the change, or had nothing to take
    int added = 0;
    int skipped = 0;      // already subscribed, or listed twice
    int firstNumber = 0;  // the number of the first added subscription
};

ImportSummary ImportOpmlFile(const wchar_t* rssIni, const wchar_t* historyIni,
                             const wchar_t* opmlFile);

// True for a subscription that came in by an import; until it has a cache,
// the drop-down shows it without items instead of fetching it.
bool WasImported(const IniSnapshot& rss, int number);
