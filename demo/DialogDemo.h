#pragma once
#include <windows.h>

#include <string>

class HostToolbar;

// Opens the custom-add dialog of the plug-in loaded in host through menu
// command 257, verifies and adds feedAddress, and reports the subscription
// found in rssIni and the tip; then shows the add-this-feed dialog for the
// same address. Pictures of both dialogs go into pictureFolder (none when empty).
void RunDialogDemo(HostToolbar& host, const std::wstring& feedAddress, const std::wstring& rssIni,
                   const std::wstring& pictureFolder);
// What the screen shows of window, saved as a 24-bit BMP file at path.
bool SaveWindowPicture(HWND window, const std::wstring& path);
