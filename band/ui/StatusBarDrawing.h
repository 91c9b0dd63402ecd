#pragma once
// The status bar's one owner-drawn part: the selected item's update state,
// a green bar for the progress of a running update and a word beside icon 101.
#include <windows.h>

// progress: 0 ready, 1-10 tenths done, above 10 failed.
void DrawUpdateStatus(HDC dc, RECT rect, int progress);

// The string shown for a progress value: "就绪", "更新中" or "失败".
UINT UpdateStatusTextId(int progress);
