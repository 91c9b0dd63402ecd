#pragma once
// Where the engine keeps the user's subscriptions and the channels' item
// state: the folder named by the environment variable FEED_ENGINE_DATA when
// it is set (tests use a throwaway folder), otherwise "RssFeed" in the
// user's application-data folder. Created when missing; empty on failure.
#include <string>

std::wstring EngineDataFolder();
