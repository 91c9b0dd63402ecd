#pragma once
// The flat toolbar above the tree: buttons from toolbar resource 1000 with
// the pictures of bitmap 1000, the options button that drops down the
// options menu, tooltips from the string table.
#include <windows.h>
#include <commctrl.h>

#include "common/ImageListHandle.h"

class StyleSheetList;

class BandToolbar {
public:
    static const UINT kControlId = 0xE800;
    static const int kButtonWidth = 23;

    BandToolbar() = default;
    ~BandToolbar();
    BandToolbar(const BandToolbar&) = delete;
    BandToolbar& operator=(const BandToolbar&) = delete;

    // Creates the control as a child of pane; null when that fails.
    HWND Create(HWND pane);
    HWND Handle() const { return toolbar_; }

    // The pane hands on the toolbar's notifications.
    LRESULT OnCustomDraw(const NMCUSTOMDRAW* draw) const;
    void OnTooltip(NMHDR* header) const;
    // Tracks the options menu under the button; the chosen item reaches the
    // pane as WM_COMMAND. Returns the TBDDRET_ code for the toolbar.
    LRESULT OnDropDown(const NMTOOLBARA* button, HWND pane, const StyleSheetList& sheets) const;

    // Where the options menu opens for a button in screen coordinates: under
    // its left edge, moved into the nearest monitor's work area when the
    // point lies on no monitor.
    static POINT MenuOrigin(const RECT& buttonOnScreen);

private:
    void AddButtons(int height) const;
    void PrepareButtons() const;

    HWND toolbar_ = nullptr;
    ImageListHandle images_;
};
