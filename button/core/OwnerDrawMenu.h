#pragma once
#include <windows.h>

#include "core/HostRecord.h"

// The owner-drawn copy of the button menu that the host draws. Owns the copy,
// its submenus and the MenuItemRecord of every item.
class OwnerDrawMenu {
public:
    OwnerDrawMenu() = default;
    ~OwnerDrawMenu() { Reset(); }
    OwnerDrawMenu(const OwnerDrawMenu&) = delete;
    OwnerDrawMenu& operator=(const OwnerDrawMenu&) = delete;

    // Replaces the held copy by a copy of source; false (and nothing held)
    // when any item cannot be copied.
    bool CopyFrom(HMENU source, HostRecord* owner);
    void Reset();
    HMENU Get() const { return menu_; }

    // A recursive owner-drawn copy, or null; DestroyCopy frees one.
    static HMENU MakeCopy(HMENU source, HostRecord* owner);
    static void DestroyCopy(HMENU menu);

private:
    HMENU menu_ = nullptr;
};
