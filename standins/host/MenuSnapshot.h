#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// One item of an owner-drawn button menu as the host sees it: what the
// plug-in's record says, how it measured the item and which icon it named.
struct MenuEntry {
    int depth = 0;
    UINT id = 0;  // 0 for separators and submenu items
    bool separator = false;
    bool popup = false;
    bool greyed = false;
    std::wstring text;
    HICON icon = nullptr;  // the plug-in's answer to code 10
    int iconId = 0;        // its resource number when recognised, -1 when not
    UINT width = 0;
    UINT height = 0;
};

// Asks the plug-in about one item: code 9 fills measure, code 10 the icon.
struct MenuQueries {
    std::function<void(MEASUREITEMSTRUCT*)> measure;
    std::function<HICON(DRAWITEMSTRUCT*)> icon;
    std::function<int(HICON)> iconId;
};

// Walks menu and its submenus depth first.
std::vector<MenuEntry> SnapshotMenu(HMENU menu, const MenuQueries& queries);

// The key presses that choose id in a tracked popup menu: down to the item,
// right into each submenu, return. Empty when id is not in the menu.
std::vector<WPARAM> KeysToChoose(HMENU menu, UINT id);
// The key presses that open the submenu at top-level position.
std::vector<WPARAM> KeysToOpen(HMENU menu, int position);

// The menu as text, one line per entry, nested entries indented.
std::wstring DescribeMenu(const std::vector<MenuEntry>& entries);
