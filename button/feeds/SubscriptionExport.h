#pragma once

// Writing the store's subscriptions, in number order, as an OPML 2.0 list in
// UTF-8 that other readers take: each one's title, feed address, site
// address (from its cache when the cache knows it) and type "rss". An
// existing file is replaced only once the new one is complete.

// How many subscriptions were written, or -1 when the store could not be
// read or the file not written; the file is then as it was.
int ExportOpmlFile(const wchar_t* rssIni, const wchar_t* opmlFile);
