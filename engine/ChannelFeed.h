#pragma once
// A downloaded feed read into a channel's title, link and items.
#include <string>
#include <vector>

#include "engine/ChannelItem.h"

struct ChannelFeed {
    std::wstring title;
    std::wstring link;
    std::vector<ChannelItem> items;  // in document order; descriptions are HTML
};

// Reads RSS 2.0 (and 0.9x), RSS 1.0 (items beside the channel) or Atom 1.0 /
// 0.3 in any encoding the button reads. Relative links resolve against
// address. False when the file is no feed of these kinds. The file may be
// rewritten (converted to UTF-8).
bool ParseChannelFeed(const std::wstring& file, const std::wstring& address, ChannelFeed& feed);
