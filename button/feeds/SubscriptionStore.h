#pragma once
#include <windows.h>

#include <vector>

// The subscription list "rss.ini": [main] count and one section [rssN] per
// subscription (title, xmlUrl, htmlUrl, updTime), numbered 1..N without gaps.
// Every operation reads and writes the files at the moment it runs.

// Set to 1 in the section of a subscription that came in by an import.
inline constexpr wchar_t kImportedKey[] = L"imported";

// Creates "rss.ini" (with count 0) and "history.ini" when they are missing.
void EnsureStoreFiles(const wchar_t* rssIni, const wchar_t* historyIni);

// The number of subscriptions; fallback when the list has no count.
int ReadCount(const wchar_t* rssIni, int fallback = 0);

// Adds subscription N+1 and adopts the feed cache of cacheNumber (e.g. -1 or 0
// of the add dialogs) as its cache. Returns the new number, or 0 when the list
// could not be written; the caches are then left as they were.
int AppendSubscription(const wchar_t* rssIni, const wchar_t* title, const wchar_t* xmlUrl,
                       int cacheNumber, LONG updTime);

void RenameSubscription(const wchar_t* rssIni, int number, const wchar_t* title);

// keep[i] tells whether subscription i+1 stays; the rest are removed and the
// kept ones renumbered from 1, their caches and read marks moving with them.
void RemoveSubscriptions(const wchar_t* rssIni, const wchar_t* historyIni,
                         const std::vector<bool>& keep);

// Seconds since 1970 UTC as the store writes them.
LONG CurrentUpdTime();

// Records now as the last refresh of the subscription.
void StampUpdTime(const wchar_t* rssIni, int number);

// True when the subscription was never stamped or its stamp is a day old or
// more at the given time; a stamp in the future is not stale.
bool IsStale(const wchar_t* rssIni, int number);
bool IsStaleAt(const wchar_t* rssIni, int number, LONG now);
