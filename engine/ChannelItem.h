#pragma once
// One item of a channel, as parsed from the feed and as kept between updates.
#include <windows.h>
#include <string>

struct ChannelItem {
    std::wstring title;
    std::wstring link;
    std::wstring date;         // as the feed wrote it
    std::wstring description;  // HTML from the feed, untrusted
    std::wstring key;          // guid, Atom id or link: what identifies it across updates
    ULONGLONG stamp = 0;       // the date as UTC FILETIME, 0 when unreadable
    ULONGLONG firstSeen = 0;   // when an update first brought it
    int position = 0;          // its place in the feed that first brought it
    bool read = false;
};
