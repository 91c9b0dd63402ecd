#include "core/OwnerDrawMenu.h"

#include <new>

#include "core/MemoryProbe.h"
#include "core/MenuItemRecord.h"

namespace {

MenuItemRecord* NewRecord(HostRecord* owner, HMENU menu, const wchar_t* text) {
    auto* record = new (std::nothrow) MenuItemRecord();
    if (!record) return nullptr;
    record->host = owner;
    record->menu = menu;
    lstrcpynW(record->text, text, kMenuItemTextLength + 1);
    return record;
}

bool CopyMenuInfo(HMENU source, HMENU copy) {
    MENUINFO info = {sizeof(info)};
    info.fMask = MIM_STYLE | MIM_MAXHEIGHT | MIM_BACKGROUND | MIM_HELPID | MIM_MENUDATA;
    if (!GetMenuInfo(source, &info)) return false;
    info.fMask = MIM_STYLE | MIM_MAXHEIGHT | MIM_BACKGROUND | MIM_HELPID | MIM_MENUDATA;
    return SetMenuInfo(copy, &info) != FALSE;
}

// Copies the item at position of source to the end of copy.
bool CopyItem(HMENU source, UINT position, HMENU copy, HostRecord* owner) {
    wchar_t text[kMenuItemTextLength + 1] = L"";
    MENUITEMINFOW item = {sizeof(item)};
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = kMenuItemTextLength + 1;
    if (!GetMenuItemInfoW(source, position, TRUE, &item)) return false;
    if (item.fType & MFT_OWNERDRAW) return false;

    MenuItemRecord* record = NewRecord(owner, copy, text);
    if (!record) return false;
    HMENU subCopy = nullptr;
    if (item.hSubMenu) {
        subCopy = OwnerDrawMenu::MakeCopy(item.hSubMenu, owner);
        if (!subCopy) {
            delete record;
            return false;
        }
    }
    MENUITEMINFOW added = {sizeof(added)};
    added.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_DATA;
    added.fType = (item.fType & ~MFT_STRING) | MFT_OWNERDRAW;
    added.fState = item.fState;
    added.wID = item.wID;
    added.hSubMenu = subCopy;
    added.hbmpChecked = item.hbmpChecked;
    added.hbmpUnchecked = item.hbmpUnchecked;
    added.dwItemData = reinterpret_cast<ULONG_PTR>(record);
    if (!InsertMenuItemW(copy, GetMenuItemCount(copy), TRUE, &added)) {
        if (subCopy) OwnerDrawMenu::DestroyCopy(subCopy);
        delete record;
        return false;
    }
    return true;
}

}  // namespace

HMENU OwnerDrawMenu::MakeCopy(HMENU source, HostRecord* owner) {
    HMENU copy = CreatePopupMenu();
    if (!copy) return nullptr;
    bool ok = CopyMenuInfo(source, copy);
    int count = ok ? GetMenuItemCount(source) : 0;
    for (int position = 0; ok && position < count; ++position) {
        ok = CopyItem(source, static_cast<UINT>(position), copy, owner);
    }
    if (!ok) {
        DestroyCopy(copy);
        return nullptr;
    }
    return copy;
}

void OwnerDrawMenu::DestroyCopy(HMENU menu) {
    if (!menu || !IsMenu(menu)) return;
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        MENUITEMINFOW item = {sizeof(item)};
        item.fMask = MIIM_SUBMENU | MIIM_DATA;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item)) {
            if (item.hSubMenu) DestroyCopy(item.hSubMenu);
            auto* record = reinterpret_cast<MenuItemRecord*>(item.dwItemData);
            if (record && IsReadableMemory(record, sizeof(MenuItemRecord))) delete record;
        }
        // Removing leaves the submenu, already destroyed above, alone.
        RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    }
    DestroyMenu(menu);
}

bool OwnerDrawMenu::CopyFrom(HMENU source, HostRecord* owner) {
    Reset();
    menu_ = source ? MakeCopy(source, owner) : nullptr;
    return menu_ != nullptr;
}

void OwnerDrawMenu::Reset() {
    if (menu_) DestroyCopy(menu_);
    menu_ = nullptr;
}
