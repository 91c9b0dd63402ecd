#include "core/OwnerDrawMenu.h"

#include <new>

#include "core/MemoryProbe.h"
#include "core/MenuItemRecord.h"

bool OwnerDrawMenu::Start(HMENU model) {
    Reset();
    MENUINFO info = {sizeof(info)};
    info.fMask = MIM_STYLE | MIM_MAXHEIGHT | MIM_BACKGROUND | MIM_HELPID | MIM_MENUDATA;
    if (!model || !GetMenuInfo(model, &info)) return false;
    menu_ = CreatePopupMenu();
    if (!menu_) return false;
    info.fMask = MIM_STYLE | MIM_MAXHEIGHT | MIM_BACKGROUND | MIM_HELPID | MIM_MENUDATA;
    if (!SetMenuInfo(menu_, &info)) Reset();
    return menu_ != nullptr;
}

void OwnerDrawMenu::Reset() {
    if (menu_) Destroy(menu_);
    menu_ = nullptr;
}

bool OwnerDrawMenu::Append(HMENU menu, HostRecord* owner, UINT flags, UINT_PTR id,
                           const wchar_t* text) {
    HMENU submenu = (flags & MF_POPUP) ? reinterpret_cast<HMENU>(id) : nullptr;
    auto* record = new (std::nothrow) MenuItemRecord();
    if (!record) {
        Destroy(submenu);
        return false;
    }
    record->host = owner;
    record->menu = menu;
    lstrcpynW(record->text, text, kMenuItemTextLength + 1);

    MENUITEMINFOW added = {sizeof(added)};
    added.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    added.fType = MFT_OWNERDRAW | ((flags & MF_SEPARATOR) ? MFT_SEPARATOR : 0);
    added.fState = (flags & MF_GRAYED) ? MFS_GRAYED : MFS_ENABLED;
    // A submenu item is known by its menu handle, as AppendMenu names it.
    added.wID = static_cast<UINT>(id);
    added.hSubMenu = submenu;
    added.dwItemData = reinterpret_cast<ULONG_PTR>(record);
    if (!InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &added)) {
        Destroy(submenu);
        delete record;
        return false;
    }
    return true;
}

void OwnerDrawMenu::Destroy(HMENU menu) {
    if (!menu || !IsMenu(menu)) return;
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        MENUITEMINFOW item = {sizeof(item)};
        item.fMask = MIIM_SUBMENU | MIIM_DATA;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item)) {
            if (item.hSubMenu) Destroy(item.hSubMenu);
            auto* record = reinterpret_cast<MenuItemRecord*>(item.dwItemData);
            if (record && IsReadableMemory(record, sizeof(MenuItemRecord))) delete record;
        }
        // Removing leaves the submenu, already destroyed above, alone.
        RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    }
    DestroyMenu(menu);
}
