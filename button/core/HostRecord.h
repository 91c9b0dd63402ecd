#pragma once
#include <windows.h>

#include <cstddef>

// The host's description of a button, passed with every message. The layout
// is the host's 32-bit one; 64-bit builds widen the two pointer fields.
struct HostRecord {
    HWND window;  // the toolbar window; the rectangle is in its client coordinates
    BYTE reserved1[24];
    const wchar_t* name;
    WORD commandId;
    BYTE reserved2[10];
    RECT rect;
    BYTE reserved3[220];
};

// Bytes of the record that must be readable before the plug-in touches it.
constexpr size_t kHostRecordSize = sizeof(HostRecord);

// Code 6: the host's icon record; mask 8 says that icon is set.
struct IconQuery {
    DWORD mask;
    DWORD reserved[3];
    HICON icon;
};
constexpr DWORD kIconQuerySetsIcon = 8;

// Code 10: the record whose third field receives a menu item's icon.
struct MenuIconQuery {
    DWORD reserved[2];
    HICON icon;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(HostRecord, window) == 0, "toolbar window at 0");
static_assert(offsetof(HostRecord, name) == 28, "name at 28");
static_assert(offsetof(HostRecord, commandId) == 32, "command id at 32");
static_assert(offsetof(HostRecord, rect) == 44, "rectangle at 44");
static_assert(sizeof(HostRecord) == 280, "the host guarantees 280 bytes");
static_assert(offsetof(IconQuery, icon) == 16, "icon in the fifth field");
static_assert(offsetof(MenuIconQuery, icon) == 8, "icon in the third field");
#else
static_assert(sizeof(HostRecord) >= 280, "at least the 32-bit record");
#endif
