#include "dialogs/ListRows.h"

#include <commctrl.h>

#include "dialogs/WindowSubclass.h"
#include "web/SystemInfo.h"

namespace {
const COLORREF kLineColour = RGB(127, 157, 185);

int RowHeight(HWND list) {
    RECT row = {};
    int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    row.left = LVIR_BOUNDS;
    if (SendMessageW(list, LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&row)))
        return row.bottom - row.top;
    return 0;
}
}  // namespace

void DrawRowLines(HWND list) {
    int height = RowHeight(list);
    if (height <= 0) return;
    RECT client = {};
    GetClientRect(list, &client);
    HDC dc = GetDC(list);
    if (!dc) return;
    HPEN pen = CreatePen(PS_SOLID, 1, kLineColour);
    HGDIOBJ old = SelectObject(dc, pen);
    for (int y = height + (IsWindows2000() ? 1 : -1); y < client.bottom; y += height) {
        MoveToEx(dc, client.left, y, nullptr);
        LineTo(dc, client.right, y);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    ReleaseDC(list, dc);
}

void InvalidateAfterScroll(HWND list, WPARAM scrollRequest) {
    switch (LOWORD(scrollRequest)) {
        case SB_LINEUP:
        case SB_LINEDOWN:
            InvalidateRect(list, nullptr, TRUE);
            break;
        case SB_PAGEUP:
        case SB_PAGEDOWN: {
            RECT first = {};
            first.left = LVIR_BOUNDS;
            int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
            if (SendMessageW(list, LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&first)))
                InvalidateRect(list, &first, TRUE);
            break;
        }
        default:
            break;
    }
}

bool HandleRowLines(const WindowSubclass& subclass, HWND list, UINT message, WPARAM wParam,
                    LPARAM lParam, LRESULT* result) {
    if (message != WM_PAINT && message != WM_VSCROLL) return false;
    *result = subclass.CallOriginal(list, message, wParam, lParam);
    if (message == WM_PAINT) {
        DrawRowLines(list);
    } else {
        InvalidateAfterScroll(list, wParam);
    }
    return true;
}

void DrawLineOfText(HDC dc, const wchar_t* text, RECT rect, HFONT font, COLORREF colour,
                    UINT format) {
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    COLORREF oldColour = SetTextColor(dc, colour);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &rect, DT_SINGLELINE | DT_NOPREFIX | format);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
    if (old) SelectObject(dc, old);
}

int RowCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

bool RowTicked(HWND list, int row) {
    UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}

void SetRowTicked(HWND list, int row, bool ticked) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[MAX_PATH] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void SetCellText(HWND list, int row, int column, const wchar_t* text) {
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

RECT RowRect(HWND list, int row) {
    RECT rect = {};
    rect.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int RowAtHeight(HWND list, int y) {
    int rows = RowCount(list);
    for (int row = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0)); row < rows; ++row) {
        RECT rect = RowRect(list, row);
        if (y < rect.top) break;
        if (y < rect.bottom) return row;
    }
    return -1;
}

void AddColumn(HWND list, int index, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

int AppendRow(HWND list, int image) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_STATE | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = RowCount(list);
    item.pszText = const_cast<wchar_t*>(L"");
    item.iImage = image;
    item.state = INDEXTOSTATEIMAGEMASK(1);
    item.stateMask = LVIS_STATEIMAGEMASK;
    return static_cast<int>(
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int DrawTickBox(HWND list, HDC dc, int row, int left, int top) {
    auto states =
        reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_STATE, 0));
    int cx = 0, cy = 0;
    if (!states || !ImageList_GetIconSize(states, &cx, &cy)) return 0;
    if (top < 0) {
        RECT rowRect = RowRect(list, row);
        top = rowRect.top + (rowRect.bottom - rowRect.top - cy) / 2;
    }
    UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    int index = static_cast<int>(state >> 12) - 1;
    if (index >= 0) ImageList_Draw(states, index, dc, left, top, ILD_TRANSPARENT);
    return cx;
}
