#pragma once

struct DemoSession;

// The feed button's part of the walk, in the host toolbar of the frame.
// Subscribes from a page that advertises feeds: the icon changes, the press
// opens the add dialog, the feeds are added and the tip confirms it.
void SubscribeFromPage(DemoSession& session);
// The drop-down as the host draws it, with a subscription's items.
void OpenButtonMenu(DemoSession& session);
// An item chosen in the drop-down opens in the frame and shows as read.
void ReadItem(DemoSession& session);
// "全部刷新": the worker refreshes every subscription in the background.
void RefreshAll(DemoSession& session);
// The manage dialog removes a subscription after the confirmation.
void ManageAndRemove(DemoSession& session);
