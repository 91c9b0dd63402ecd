#pragma once
// The options button's drop-down, built afresh on every press so that its
// checks show the registry's current values: the first popup of menu 1300
// with one item per style sheet above its separator, the chosen sheet and the
// update interval radio-checked.
#include <windows.h>

#include "common/MenuHandle.h"

class StyleSheetList;

class OptionsMenu {
public:
    OptionsMenu(HINSTANCE module, const StyleSheetList& sheets);

    // The popup to track; null when the menu resource is missing.
    HMENU Popup() const { return popup_; }

    // Intervals the menu offers; any other stored value is shown as 30.
    static DWORD ShownInterval(DWORD stored);

private:
    MenuHandle menu_;
    HMENU popup_ = nullptr;
};

// Radio-checks the first item with command `check` found in menu or its
// submenus and clears the checks of the items of first..last beside it. With
// no such item nothing changes and the result is false.
bool CheckRadioByCommand(HMENU menu, UINT first, UINT last, UINT check);
