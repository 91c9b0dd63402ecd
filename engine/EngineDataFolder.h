#pragma once
// Where the engine keeps the user's subscriptions and the channels' item
// state: "RssFeed" in the user's application-data folder.
#include <string>

// The folder, created when missing; empty on failure.
std::wstring EngineDataFolder();
// folder itself (without a trailing backslash), created when missing;
// empty when it is not a folder that exists afterwards.
std::wstring PreparedFolder(std::wstring folder);
