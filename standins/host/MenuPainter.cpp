#include "host/MenuPainter.h"

#include "core/MenuItemRecord.h"

namespace {
constexpr int kIconLeft = 4;
constexpr int kTextLeft = 26;
}  // namespace

void PaintMenuItem(const DRAWITEMSTRUCT* draw, HICON icon, HFONT font) {
    HDC dc = draw->hDC;
    RECT area = draw->rcItem;
    auto* record = reinterpret_cast<const MenuItemRecord*>(draw->itemData);
    bool selected = (draw->itemState & ODS_SELECTED) != 0;
    bool greyed = (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    FillRect(dc, &area, GetSysColorBrush(selected && !greyed ? COLOR_HIGHLIGHT : COLOR_MENU));

    if (draw->itemID == 0) {
        RECT line = {area.left + 2, (area.top + area.bottom) / 2, area.right - 2, 0};
        line.bottom = line.top + 1;
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
        return;
    }
    if (icon) {
        int top = area.top + (area.bottom - area.top - 16) / 2;
        DrawIconEx(dc, area.left + kIconLeft, top, icon, 16, 16, 0, nullptr, DI_NORMAL);
    }
    if (!record) return;
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    COLORREF colour = greyed     ? GetSysColor(COLOR_GRAYTEXT)
                      : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                 : GetSysColor(COLOR_MENUTEXT);
    SetTextColor(dc, colour);
    RECT text = area;
    text.left += kTextLeft;
    DrawTextW(dc, record->text, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (old) SelectObject(dc, old);
}
