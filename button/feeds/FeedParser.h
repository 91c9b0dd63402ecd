#pragma once
#include <string>

// Parsing a downloaded feed file into the feed cache of a number ("%d.txt" in
// the data folder, written as "%d_temp.txt" and moved). 1 on success, 0 on
// failure; a failed parse leaves the previous cache as it was.

// RSS (a "channel" under the root element), then Atom when that fails.
// replaceFailed, when given, tells a feed that was read but could not replace
// the cache (another program holds it) from a file that is no feed.
int ParseFeedFile(const wchar_t* file, int number, bool* replaceFailed = nullptr);
int ParseRssFeed(const wchar_t* file, int number);
int ParseAtomFeed(const wchar_t* file, int number);

// String 25 "无标题": the title of a feed whose own title is blank.
std::wstring UntitledFeedTitle();
