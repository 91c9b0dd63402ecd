#pragma once
#include <windows.h>

#include "core/HostRecord.h"

// The owner-drawn button menu that the host draws. Owns the menu, its
// submenus and the MenuItemRecord of every item. Built directly rather than
// as a copy of a plain menu: on a long list the copy cost as much again as
// the plain menu it was made from.
class OwnerDrawMenu {
public:
    OwnerDrawMenu() = default;
    ~OwnerDrawMenu() { Reset(); }
    OwnerDrawMenu(const OwnerDrawMenu&) = delete;
    OwnerDrawMenu& operator=(const OwnerDrawMenu&) = delete;

    // Replaces the held menu by an empty one with the menu information of
    // model (style, maximum height, background, help identifier, menu data);
    // false (and nothing held) when it cannot be made.
    bool Start(HMENU model);
    void Reset();
    HMENU Get() const { return menu_; }

    // Appends an owner-drawn item to menu, the held one or one of its
    // submenus, with a record of owner, menu and text cut to 63 characters.
    // flags: MF_SEPARATOR, MF_GRAYED, or MF_POPUP with id the submenu, which
    // the menu owns from then on (also when false is returned).
    static bool Append(HMENU menu, HostRecord* owner, UINT flags, UINT_PTR id, const wchar_t* text);
    // Frees an owner-drawn menu with its submenus and records.
    static void Destroy(HMENU menu);

private:
    HMENU menu_ = nullptr;
};
