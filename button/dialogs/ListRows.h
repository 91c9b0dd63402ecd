#pragma once
#include <windows.h>

// Row operations and drawing shared by the manage and add-several lists:
// report lists with check boxes whose rows the dialogs draw themselves and
// set apart by lines drawn over the list after it paints.
#include <string>

class WindowSubclass;

// Lines of RGB 127, 157, 185 across the list, one row height apart, the
// first one row below the top (a pixel lower on Windows 2000, a pixel
// higher elsewhere, where the list's own row rectangle ends differently).
void DrawRowLines(HWND list);
// After a scroll by lines the whole list is repainted, after a scroll by
// pages the first row, so that no line is left at a scrolled-off place.
void InvalidateAfterScroll(HWND list, WPARAM scrollRequest);
// For the subclassed list: lets the list paint or scroll itself, then draws
// the lines or invalidates as above. False for every other message.
bool HandleRowLines(const WindowSubclass& subclass, HWND list, UINT message, WPARAM wParam,
                    LPARAM lParam, LRESULT* result);
// Draws text on one line in rect, vertically centred, in colour, with font.
void DrawLineOfText(HDC dc, const wchar_t* text, RECT rect, HFONT font, COLORREF colour,
                    UINT format);

int RowCount(HWND list);
// The row's box shows the tick (state image 2).
bool RowTicked(HWND list, int row);
void SetRowTicked(HWND list, int row, bool ticked);
// The text of a column of a row, cut to 259 characters.
std::wstring CellText(HWND list, int row, int column);
void SetCellText(HWND list, int row, int column, const wchar_t* text);
RECT RowRect(HWND list, int row);
// The shown row at height y (client coordinates), whatever the column; -1
// when none.
int RowAtHeight(HWND list, int y);
void AddColumn(HWND list, int index, int width);
// Appends a row with an empty first column, not ticked; its index or -1.
int AppendRow(HWND list, int image);
// Draws the row's tick box from the list's state images with its left edge
// at left and its top at top (vertically centred in the row when top is
// negative). The width of the box, 0 when the list has none.
int DrawTickBox(HWND list, HDC dc, int row, int left, int top);
