#pragma once
// Pages for a channel that a script made without a feed: three sample items
// under the channel's title, as a fetch would have produced them.
#include <string>

// Writes the channel's page and item list; false when they cannot be written.
bool WriteSampleChannel(const std::wstring& page, const std::wstring& channel);
