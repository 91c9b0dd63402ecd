#pragma once
#include <windows.h>

// Creates "rss.ini" (with count 0) and "history.ini" when they are missing.
void EnsureStoreFiles(const wchar_t* rssIni, const wchar_t* historyIni);
