#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

// What the screen shows in area, saved as a 24-bit bottom-up BMP file;
// popups over the area (menus, dialogs, tips) are in the picture too.
bool SaveScreenArea(const RECT& area, const std::wstring& path);

// The smallest rectangle holding the window rectangles of the windows given;
// null and invisible windows are skipped.
RECT AreaOfWindows(std::initializer_list<HWND> windows);
