#pragma once
// The two files the engine writes for a channel into the temporary folder:
// the page the band shows ("<page name>.html", styled by "rss.css" beside
// it) and the item list it harvests ("<page name>", no extension). Both are
// well-formed XHTML with the same items.
#include <windows.h>
#include <string>
#include <vector>

struct ChannelItem {
    std::wstring title;
    std::wstring link;
    std::wstring date;
    std::wstring description;
};

// Sample items for a channel, as a fetch would have produced them.
std::vector<ChannelItem> SampleItems(const std::wstring& channel, const std::wstring& page);

// The XHTML text (UTF-8) of a channel page.
std::string ChannelPageText(const std::wstring& channel, const std::vector<ChannelItem>& items);

// Writes both files; false when either cannot be written.
bool WriteChannelPage(const std::wstring& page, const std::wstring& channel,
                      const std::vector<ChannelItem>& items);
