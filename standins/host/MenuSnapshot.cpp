#include "host/MenuSnapshot.h"

#include <cwchar>

#include "core/MenuItemRecord.h"

namespace {

bool ReadItem(HMENU menu, int position, MENUITEMINFOW* item) {
    *item = MENUITEMINFOW{sizeof(MENUITEMINFOW)};
    item->fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, item) != FALSE;
}

void Walk(HMENU menu, int depth, const MenuQueries& queries, std::vector<MenuEntry>* entries) {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item;
        if (!ReadItem(menu, position, &item)) continue;
        MenuEntry entry;
        entry.depth = depth;
        entry.separator = (item.fType & MFT_SEPARATOR) != 0;
        entry.popup = item.hSubMenu != nullptr;
        entry.id = entry.popup ? 0 : item.wID;
        entry.greyed = (item.fState & MFS_GRAYED) != 0;
        if (auto* record = reinterpret_cast<const MenuItemRecord*>(item.dwItemData))
            entry.text = record->text;
        // The owner-draw messages name a submenu item by its menu handle.
        UINT drawId =
            entry.popup ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(item.hSubMenu)) : item.wID;
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, drawId, 0, 0, item.dwItemData};
        if (queries.measure) queries.measure(&measure);
        entry.width = measure.itemWidth;
        entry.height = measure.itemHeight;
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = drawId;
        draw.hwndItem = reinterpret_cast<HWND>(menu);
        draw.itemData = item.dwItemData;
        if (queries.icon) entry.icon = queries.icon(&draw);
        if (entry.icon && queries.iconId) entry.iconId = queries.iconId(entry.icon);
        entries->push_back(entry);
        if (item.hSubMenu) Walk(item.hSubMenu, depth + 1, queries, entries);
    }
}

// Appends the presses that reach id inside menu, starting with nothing
// selected at this level.
bool PathTo(HMENU menu, UINT id, std::vector<WPARAM>* keys) {
    int count = GetMenuItemCount(menu);
    int selectable = 0;
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item;
        if (!ReadItem(menu, position, &item) || (item.fType & MFT_SEPARATOR)) continue;
        ++selectable;
        if (!item.hSubMenu && item.wID == id) {
            keys->insert(keys->end(), selectable, VK_DOWN);
            return true;
        }
        if (item.hSubMenu) {
            std::vector<WPARAM> inner;
            if (PathTo(item.hSubMenu, id, &inner)) {
                keys->insert(keys->end(), selectable, VK_DOWN);
                // Opening a submenu selects its first item already.
                keys->push_back(VK_RIGHT);
                if (!inner.empty()) inner.erase(inner.begin());
                keys->insert(keys->end(), inner.begin(), inner.end());
                return true;
            }
        }
    }
    return false;
}

}  // namespace

std::vector<MenuEntry> SnapshotMenu(HMENU menu, const MenuQueries& queries) {
    std::vector<MenuEntry> entries;
    if (menu) Walk(menu, 0, queries, &entries);
    return entries;
}

std::vector<WPARAM> KeysToChoose(HMENU menu, UINT id) {
    std::vector<WPARAM> keys;
    if (!menu || !PathTo(menu, id, &keys)) return {};
    keys.push_back(VK_RETURN);
    return keys;
}

std::vector<WPARAM> KeysToOpen(HMENU menu, int position) {
    std::vector<WPARAM> keys;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i <= position && i < count; ++i) {
        MENUITEMINFOW item;
        if (ReadItem(menu, i, &item) && !(item.fType & MFT_SEPARATOR)) keys.push_back(VK_DOWN);
    }
    keys.push_back(VK_RIGHT);
    return keys;
}

std::wstring DescribeMenu(const std::vector<MenuEntry>& entries) {
    std::wstring text;
    for (const MenuEntry& entry : entries) {
        std::wstring line(static_cast<size_t>(entry.depth) * 4, L' ');
        if (entry.separator) {
            line += L"--------";
        } else {
            wchar_t head[64];
            if (entry.popup) {
                swprintf(head, 64, L"[submenu]");
            } else {
                swprintf(head, 64, L"0x%04X", entry.id);
            }
            wchar_t icon[32];
            if (entry.iconId > 0) {
                swprintf(icon, 32, L"icon %d", entry.iconId);
            } else {
                swprintf(icon, 32, entry.icon ? L"icon ?" : L"no icon");
            }
            line += head;
            line += L"  ";
            line += entry.text;
            line += L"  (";
            line += icon;
            line += entry.greyed ? L", greyed)" : L", enabled)";
        }
        text += line + L"\n";
    }
    return text;
}
