#include "server/OptionsMenu.h"

#include "res/resource.h"
#include "server/SettingsKey.h"
#include "server/StyleSheetList.h"

namespace {

// The submenu holding an item of command `id`: menu itself, a submenu at any
// depth, or null.
HMENU MenuHolding(HMENU menu, UINT id) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (sub) {
            if (HMENU found = MenuHolding(sub, id)) return found;
        } else if (GetMenuItemID(menu, i) == id) {
            return menu;
        }
    }
    return nullptr;
}

void SetRadioCheck(HMENU menu, int position, bool checked) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    if (!GetMenuItemInfoA(menu, position, TRUE, &info)) return;
    info.fType |= MFT_RADIOCHECK;
    info.fState = checked ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
    SetMenuItemInfoA(menu, position, TRUE, &info);
}

}  // namespace

bool CheckRadioByCommand(HMENU menu, UINT first, UINT last, UINT check) {
    if (check < first || check > last) return false;
    HMENU holder = MenuHolding(menu, check);
    if (!holder) return false;
    bool checked = false;
    int count = GetMenuItemCount(holder);
    for (int i = 0; i < count; ++i) {
        if (GetSubMenu(holder, i)) continue;
        UINT id = GetMenuItemID(holder, i);
        if (id < first || id > last) continue;
        bool mine = id == check && !checked;
        SetRadioCheck(holder, i, mine);
        checked = checked || mine;
    }
    return checked;
}

DWORD OptionsMenu::ShownInterval(DWORD stored) {
    switch (stored) {
        case 0:
        case 10:
        case 30:
        case 60:
            return stored;
        default:
            return kDefaultUpdateInterval;
    }
}

OptionsMenu::OptionsMenu(HINSTANCE module, const StyleSheetList& sheets) {
    menu_.Reset(LoadMenuA(module, MAKEINTRESOURCEA(IDR_OPTIONS_MENU)));
    if (!menu_) return;
    popup_ = GetSubMenu(menu_.Get(), 0);
    if (!popup_) return;
    UINT position = 0;
    for (const StyleSheetEntry& sheet : sheets.Entries()) {
        InsertMenuA(popup_, position++, MF_BYPOSITION | MF_STRING, LOWORD(sheet.id),
                    sheet.name.c_str());
    }
    SettingsKey settings;
    CheckRadioByCommand(popup_, ID_STYLE_SHEET_FIRST, ID_STYLE_SHEET_LAST,
                        ID_STYLE_SHEET_FIRST + settings.StyleSheet());
    CheckRadioByCommand(popup_, ID_INTERVAL_FIRST, ID_INTERVAL_LAST,
                        ID_INTERVAL_FIRST + ShownInterval(settings.UpdateInterval()));
}
