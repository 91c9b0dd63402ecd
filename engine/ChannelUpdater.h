#pragma once
// Fetches one channel's feed, merges its items into the channel's stored
// state and writes the two files the band reads from the temporary folder:
// "<page>.html" (shown in the browser, styled by "rss.css" beside it) and
// "<page>" (the item list whose links the band harvests).
//
// Callable from worker threads: calls for different page names may run at
// the same time; calls for one page name must not overlap.
#include <windows.h>
#include <functional>
#include <string>

struct ChannelUpdateResult {
    bool ok = false;
    bool notModified = false;
    std::wstring feedTitle;
    bool hasUnread = false;
};

class ChannelUpdater {
public:
    // Per-channel item state (items, read marks, ETag/Last-Modified) lives
    // in dataFolder, one file per page name.
    explicit ChannelUpdater(std::wstring dataFolder);

    // Conditional GET of address, parse RSS 2.0 / RSS 1.0 / Atom, merge the
    // items keeping read marks, write both page files. progress gets 0..10
    // as the work proceeds. A failure keeps the stored items and the pages.
    ChannelUpdateResult Update(const std::wstring& address, const std::wstring& pageName,
                               const std::function<void(int)>& progress);

    // Rewrites both files from the stored items (a page that went missing).
    bool WritePages(const std::wstring& pageName);

    // Marks every stored item read and rewrites the pages.
    void MarkAllRead(const std::wstring& pageName);

    bool HasUnread(const std::wstring& pageName) const;

    // The channel was deleted: its state and page files go.
    void Forget(const std::wstring& pageName);

private:
    std::wstring StatePath(const std::wstring& pageName) const;

    std::wstring dataFolder_;
};
