#pragma once

struct DemoSession;

// The explorer bar's part of the walk, on the left of the frame, with the
// feed engine beside it.
// Creates the band from rssband.dll by its class, sites it and shows it.
void OpenBand(DemoSession& session);
// The engine describes the user's folders and channels.
void ShowEngineTree(DemoSession& session);
// "更新" on a channel: progress, then the engine's page file.
void UpdateChannel(DemoSession& session);
// A click on the channel shows its page in the frame.
void ShowChannelPage(DemoSession& session);
// Another style sheet chosen in the options menu restyles the page.
void SwitchStyleSheet(DemoSession& session);
// "标记为已读" on a folder: its bold channels turn normal.
void MarkAsRead(DemoSession& session);
// "删除" on a channel, confirmed: the engine removes it from the tree.
void RemoveChannel(DemoSession& session);
// Unsites and releases the band; the engine is closed.
void CloseBand(DemoSession& session);
