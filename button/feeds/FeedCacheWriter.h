#pragma once
#include <windows.h>

#include <string>

#include "feeds/FeedCache.h"

// The text of a cache file exactly as the profile functions would have written
// it key by key: [main] link, title, count, then [item1]..[itemN] with title and
// link, CRLF lines, every value cleaned and cut like any other INI value.
std::wstring FormatFeedCache(const FeedCache& cache);

// Writes the cache in one pass as UTF-16LE with a byte-order mark into an
// open, empty file. 1 on success, 0 on failure.
int WriteFeedCache(HANDLE file, const FeedCache& cache);

// Writes the cache into path in one pass as UTF-16LE with a byte-order mark,
// replacing the file. 1 on success, 0 on failure.
int WriteFeedCacheFile(const wchar_t* path, const FeedCache& cache);
