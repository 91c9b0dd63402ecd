#pragma once
#include <windows.h>

// Folders of the host toolbar and of the plug-in's own data.

// Kind of ToolbarPath: the toolbar's per-user data root.
constexpr int kToolbarDataRoot = 6;

// Writes the folder of the given kind into path; 1 on success, 0 on failure.
int ToolbarPath(int kind, wchar_t* path, int capacity);

// Replaces path (MAX_PATH characters) with the plug-in's data folder, creating
// it when missing, and appends fileName when it is not empty.
void RssDataPath(wchar_t* path, const wchar_t* fileName);

// 1 when path exists as a folder afterwards, 0 otherwise.
int CreateDirectoryTree(const wchar_t* path);

// The host user's settings files: 0 "tb.ini", 1 "inc.ini", 2 "up.ini" (user
// number confirmed by the toolbar window when one is given), 3 "tb.ini"
// without asking. 1 on success, 0 on failure.
int UserIniPath(int kind, DWORD user, wchar_t* out, int capacity, HWND toolbar, BOOL create);
