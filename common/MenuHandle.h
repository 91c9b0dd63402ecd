#pragma once
// Owner of one menu loaded or created by its holder, with its submenus
// (DestroyMenu). Menus attached to windows belong to them instead.
#include <windows.h>

#include "common/ScopedHandle.h"

struct MenuTraits {
    using Handle = HMENU;
    static void Close(HMENU menu) { DestroyMenu(menu); }
};
using MenuHandle = ScopedHandle<MenuTraits>;
