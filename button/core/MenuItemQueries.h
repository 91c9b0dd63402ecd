#pragma once
#include <windows.h>

#include "core/MenuItemRecord.h"

// What the host asks while it measures and draws the owner-drawn menu.

// The item's record when data is one of ours and readable, else null.
const MenuItemRecord* ReadableMenuItemRecord(ULONG_PTR data);

// Code 9: width from the text in the toolbar's font, height 20 (5 for a
// separator). Items that are not ours are left alone.
void MeasureButtonMenuItem(MEASUREITEMSTRUCT* measure, HWND toolbar);

// Code 10: the icon resource for the item, 0 for none. Items of a
// subscription are read (106) or unread (105) after "history.ini".
int ButtonMenuItemIcon(const DRAWITEMSTRUCT* draw, const wchar_t* historyIni);
