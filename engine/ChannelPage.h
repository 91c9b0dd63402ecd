#pragma once
// The two files the engine writes for a channel into the temporary folder:
// the page the band shows ("<page name>.html", styled by "rss.css" beside
// it) and the item list it harvests ("<page name>", no extension). Both hold
// the same well-formed XHTML: div id="item" / div id="title" / a href per
// item.
#include <windows.h>
#include <string>
#include <vector>

#include "engine/ChannelItem.h"
#include "engine/ChannelState.h"

// The page (UTF-8). Feed texts are escaped, descriptions sanitised.
std::string ChannelPageHtml(const ChannelState& state);

// Writes both files, each replaced whole; false when either cannot be written.
bool WriteChannelPages(const std::wstring& page, const ChannelState& state);
