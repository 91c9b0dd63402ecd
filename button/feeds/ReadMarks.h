#pragma once

// Marks of opened items in "history.ini": [rssN] his holds up to 15 records of
// ItemLinkHash, used as a ring whose next slot is cn.

// Records the link as read; a link already marked changes nothing.
void MarkItemRead(const wchar_t* historyIni, int number, const wchar_t* link);

// True when the link's record is among the marks (letter case ignored).
bool IsItemRead(const wchar_t* historyIni, int number, const wchar_t* link);
