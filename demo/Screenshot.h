#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

// What the screen shows in area, saved as a 24-bit bottom-up BMP file;
// popups over the area (menus, dialogs, tips) are in the picture too.
bool SaveScreenArea(const RECT& area, const std::wstring& path);

// The same picture taken by another program: camera is a demo.exe, run as
// "camera --save-screen-area=LEFT,TOP,RIGHT,BOTTOM PATH" and waited for. The
// 32-bit walk under qemu 7.2 has the x86_64 build take its pictures: there
// its own process has run out of address space by then (tests/wow64/room.c).
bool SaveScreenAreaBy(const std::wstring& camera, const RECT& area, const std::wstring& path);

// The command line of SaveScreenAreaBy, read back: the area, and the path
// after it. False when the switch is not there or not whole.
bool ParseSaveScreenArea(int argc, wchar_t** argv, RECT& area, std::wstring& path);

// The smallest rectangle holding the window rectangles of the windows given;
// null and invisible windows are skipped.
RECT AreaOfWindows(std::initializer_list<HWND> windows);
