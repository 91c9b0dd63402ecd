#pragma once
// What the engine keeps of a channel between updates: its title and link,
// the validators of the last answer and the items with their read marks.
// Stored as a small UTF-8 XML file, replaced whole on every save.
#include <string>
#include <vector>

#include "engine/ChannelFeed.h"
#include "engine/ChannelItem.h"

struct ChannelState {
    std::wstring title;
    std::wstring link;
    std::wstring address;  // the feed's address, whose answer the validators describe
    std::wstring base;     // the address after redirects: relative links resolve against it
    std::string etag;
    std::string lastModified;
    ULONGLONG updated = 0;           // the last successful update
    std::vector<ChannelItem> items;  // newest first
};

constexpr size_t kMaxChannelItems = 200;

// False when the file is missing or unreadable; state is then empty.
bool LoadChannelState(const std::wstring& path, ChannelState& state);
bool SaveChannelState(const std::wstring& path, const ChannelState& state);

// Takes the feed's items into the state: items are matched by key, keep
// their read mark and first-seen time, take the feed's newer texts; items
// the feed no longer lists stay until the newest kMaxChannelItems push them
// out. Newest first by date, by first appearance where a date is missing.
void MergeChannelFeed(const ChannelFeed& feed, ULONGLONG now, ChannelState& state);

bool HasUnreadItems(const ChannelState& state);
