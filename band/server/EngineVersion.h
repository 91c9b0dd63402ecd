#pragma once
// Which form of the add-channel request the engine understands: engines newer
// than 1.0.8.0 take the tree pane window, older ones the selected node.
#include <windows.h>
#include <string>

// "a, b, c, d" packed as (a << 24) | (b << 16) | (c << 8) | d, each field cut to
// its low 8 bits; missing fields count 0.
DWORD PackEngineVersion(const char* productVersion);

// True when "feed.dll" beside modulePath (the module's own file when empty)
// carries a ProductVersion newer than 1.0.8.0. Unreadable versions are not.
bool IsNewerEngine(const std::string& modulePath = std::string());
