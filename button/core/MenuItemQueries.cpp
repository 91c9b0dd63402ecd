#include "core/MenuItemQueries.h"

#include <string>

#include "core/MemoryProbe.h"
#include "core/MenuCommand.h"
#include "feeds/FeedCache.h"
#include "feeds/ReadMarks.h"
#include "feeds/StoreFile.h"
#include "res/resource.h"

namespace {

constexpr int kTextPadding = 30;
constexpr int kUnmeasuredWidth = 50;
constexpr int kSubmenuArrow = 6;
constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 5;

int TextWidth(const wchar_t* text, HWND toolbar) {
    int length = lstrlenW(text);
    if (!length) return kUnmeasuredWidth;
    HDC dc = GetDC(toolbar);
    if (!dc) return kUnmeasuredWidth;
    auto font = reinterpret_cast<HFONT>(SendMessageW(toolbar, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE size = {};
    BOOL measured = GetTextExtentPoint32W(dc, text, length, &size);
    if (old) SelectObject(dc, old);
    ReleaseDC(toolbar, dc);
    return measured ? size.cx : kUnmeasuredWidth;
}

bool OpensSubmenu(const MenuItemRecord* record) {
    if (!IsMenu(record->menu)) return false;
    int count = GetMenuItemCount(record->menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item = {sizeof(item)};
        item.fMask = MIIM_SUBMENU | MIIM_DATA;
        if (GetMenuItemInfoW(record->menu, static_cast<UINT>(position), TRUE, &item) &&
            item.dwItemData == reinterpret_cast<ULONG_PTR>(record)) {
            return item.hSubMenu != nullptr;
        }
    }
    return false;
}

int ItemIcon(int number, int k, const wchar_t* historyIni) {
    std::wstring cache = FeedCachePath(number);
    if (!FileExists(cache.c_str())) return IDI_ITEM_UNREAD;
    std::wstring link = ReadIniString(cache.c_str(), NumberedSection(L"item", k).c_str(), L"link");
    return IsItemRead(historyIni, number, link.c_str()) ? IDI_ITEM_READ : IDI_ITEM_UNREAD;
}

}  // namespace

const MenuItemRecord* ReadableMenuItemRecord(ULONG_PTR data) {
    auto* record = reinterpret_cast<const MenuItemRecord*>(data);
    return record && IsReadableMemory(record, sizeof(MenuItemRecord)) ? record : nullptr;
}

void MeasureButtonMenuItem(MEASUREITEMSTRUCT* measure, HWND toolbar) {
    if (!IsWritableMemory(measure, sizeof(*measure)) || measure->CtlType != ODT_MENU) return;
    const MenuItemRecord* record = ReadableMenuItemRecord(measure->itemData);
    if (!record) return;
    wchar_t text[kMenuItemTextLength + 1];
    lstrcpynW(text, record->text, kMenuItemTextLength + 1);
    int width = TextWidth(text, toolbar) + kTextPadding;
    if (OpensSubmenu(record)) width += kSubmenuArrow;
    measure->itemWidth = static_cast<UINT>(width);
    measure->itemHeight = measure->itemID == 0 ? kSeparatorHeight : kItemHeight;
}

int ButtonMenuItemIcon(const DRAWITEMSTRUCT* draw, const wchar_t* historyIni) {
    UINT id = draw->itemID;
    const MenuItemRecord* record = ReadableMenuItemRecord(draw->itemData);
    if (HIWORD(id) != 0 || (record && OpensSubmenu(record))) return IDI_FEED_SUBMENU;
    SubscriptionEntry entry;
    if (id > kFirstSubscriptionCommand && DecodeSubscriptionCommand(id, &entry)) {
        return IsItemEntry(entry.entry) ? ItemIcon(entry.number, entry.entry, historyIni) : 0;
    }
    if (id >= kCmdWebReader && id <= kFirstSubscriptionCommand) return IDI_WEB_READER;
    return 0;
}
