#pragma once
#include <string>
#include <vector>

// The parsed content of one feed as its cache file "%d.txt" holds it:
// [main] link, title, count and [itemK] title, link for K = 1..count.

struct FeedCacheItem {
    std::wstring title;
    std::wstring link;
};

struct FeedCache {
    bool hasLink = false;  // without a link the key is left out
    std::wstring link;
    std::wstring title;
    std::vector<FeedCacheItem> items;
};

// "%d.txt" and "%d_temp.txt" with the number, in the plug-in's data folder.
std::wstring FeedCachePath(int number);
std::wstring FeedCacheTempPath(int number);
// The same for a data folder already looked up: finding the folder costs
// more than reading a cache, and the menu reads every one.
std::wstring FeedCachePathIn(const std::wstring& dataFolder, int number);
