#pragma once
#include <windows.h>

// Command identifiers of the button menu. Entries of a subscription n carry
// (n + 15) * 256 + k: k = 1..15 its newest items, 21 refresh, 22 open site.

constexpr WORD kCmdCustomAdd = 0x101;
constexpr WORD kCmdAddThisFeed = 0x201;
constexpr WORD kCmdManage = 0x301;
constexpr WORD kCmdRefreshAll = 0x401;
constexpr WORD kCmdWebReader = 0x701;
constexpr WORD kCmdWebReaderLogin = 0x801;

constexpr int kMenuItemsPerFeed = 15;
constexpr int kEntryRefresh = 21;
constexpr int kEntryOpenSite = 22;
constexpr UINT kFirstSubscriptionCommand = 0x1000;
// Entry 22 of subscription 240 is 0xFF16; later subscriptions have no
// 16-bit identifiers and are left to the manage dialog.
constexpr int kMaxMenuSubscriptions = 240;

constexpr WORD SubscriptionCommand(int number, int entry) {
    return static_cast<WORD>((number + 15) * 256 + entry);
}

// A decoded identifier at or above 0x1000: subscription and entry.
struct SubscriptionEntry {
    int number;
    int entry;
};

inline bool DecodeSubscriptionCommand(UINT id, SubscriptionEntry* decoded) {
    if (id < kFirstSubscriptionCommand || id > 0xFFFF) return false;
    decoded->number = static_cast<int>(id / 256) - 15;
    decoded->entry = static_cast<int>(id % 256);
    return true;
}

inline bool IsItemEntry(int entry) {
    return entry >= 1 && entry <= kMenuItemsPerFeed;
}
