#pragma once
#include <windows.h>

#include <cstddef>

#include "core/HostRecord.h"

// The item data of every item of the owner-drawn button menu; the host reads
// it when it measures and draws the items.
struct MenuItemRecord {
    HostRecord* host;  // the button's host record
    HMENU menu;        // the owner-drawn menu that holds the item
    wchar_t text[64];  // at most 63 characters
};

constexpr size_t kMenuItemTextLength = 63;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(MenuItemRecord) == 136, "the host reads 136 bytes");
static_assert(offsetof(MenuItemRecord, menu) == 4, "menu at 4");
static_assert(offsetof(MenuItemRecord, text) == 8, "text at 8");
#endif
