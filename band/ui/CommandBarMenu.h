#pragma once
// A popup menu drawn the way a command bar draws it: every item owner-drawn,
// with the toolbar's picture beside the commands the toolbar also has. The
// hidden window that owns the menu while it is tracked lives only as long as
// one Track call.
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "common/FontHandle.h"
#include "common/ImageListHandle.h"
#include "ui/Window.h"

class CommandBarMenu : public Window {
public:
    static const char kClassName[];
    // Child of the pane, never shown.
    static const DWORD kStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

    // Pictures from toolbar resource toolbarId and the bitmap of the same id.
    CommandBarMenu(HINSTANCE module, UINT toolbarId);
    ~CommandBarMenu() override;

    // Tracks popup at a screen point and returns the chosen command (0 when
    // the menu was dismissed). The popup's items become owner-drawn.
    UINT Track(HWND pane, HMENU popup, POINT at);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Item {
        UINT command;
        std::string text;
        int image;
    };

    void MakeOwnerDrawn(HMENU popup);
    void Measure(MEASUREITEMSTRUCT* measure);
    void Draw(const DRAWITEMSTRUCT* draw) const;

    HINSTANCE module_;
    std::vector<UINT> toolbarCommands_;
    ImageListHandle images_;
    FontHandle font_;
    std::vector<Item> items_;
};
