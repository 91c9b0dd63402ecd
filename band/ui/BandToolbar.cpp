#include "ui/BandToolbar.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "res/resource.h"
#include "server/Module.h"
#include "server/OptionsMenu.h"
#include "ui/ToolbarResource.h"

namespace {

const DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                            TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER;
const int kSeparatorWidth = 8;
const int kImageSize = 16;
// Room around a picture inside a button.
const int kButtonPadding = 7;

// The height of the toolbar's font in pixels.
int FontHeight(HWND toolbar) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(toolbar, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA logical = {};
    if (!font || !GetObjectA(font, sizeof logical, &logical)) return 0;
    return std::abs(logical.lfHeight);
}

}  // namespace

BandToolbar::~BandToolbar() {
    // The control may outlive the list only while it is destroyed.
    if (toolbar_ && IsWindow(toolbar_)) SendMessageA(toolbar_, TB_SETIMAGELIST, 0, 0);
}

HWND BandToolbar::Create(HWND pane) {
    toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, kToolbarStyle, 0, 0, 100, 100, pane,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kControlId)),
                               Module::Instance(), nullptr);
    if (!toolbar_) return nullptr;
    SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    int height = std::max(kImageSize, FontHeight(toolbar_));
    images_.Reset(ImageList_LoadImageA(Module::Instance(), MAKEINTRESOURCEA(IDB_TOOLBAR),
                                       kImageSize, 1, CLR_DEFAULT, IMAGE_BITMAP,
                                       LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
    if (images_) {
        SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.Get()));
    }
    AddButtons(height);
    PrepareButtons();
    return toolbar_;
}

void BandToolbar::AddButtons(int height) const {
    ToolbarResource layout(Module::Instance(), IDR_TOOLBAR);
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (WORD command : layout.Commands()) {
        TBBUTTON button = {};
        button.iString = -1;
        if (command == 0) {
            button.iBitmap = kSeparatorWidth;
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = command;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    if (!buttons.empty()) {
        SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(),
                     reinterpret_cast<LPARAM>(buttons.data()));
    }
    SendMessageA(toolbar_, TB_SETBITMAPSIZE, 0, MAKELONG(kImageSize, height));
    SendMessageA(toolbar_, TB_SETBUTTONSIZE, 0, MAKELONG(kButtonWidth, height + kButtonPadding));
}

// The options button drops its menu from anywhere on it; whatever follows
// the directory button (the delete button) lends its picture to the context
// menu only.
void BandToolbar::PrepareButtons() const {
    SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    if (SendMessageA(toolbar_, TB_GETBUTTONINFOA, ID_OPTIONS, reinterpret_cast<LPARAM>(&info)) >=
        0) {
        info.fsStyle |= BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN;
        SendMessageA(toolbar_, TB_SETBUTTONINFOA, ID_OPTIONS, reinterpret_cast<LPARAM>(&info));
    }
    int directory =
        static_cast<int>(SendMessageA(toolbar_, TB_COMMANDTOINDEX, ID_MORE_CHANNELS, 0));
    if (directory < 0) return;
    int count = static_cast<int>(SendMessageA(toolbar_, TB_BUTTONCOUNT, 0, 0));
    for (int index = directory + 1; index < count; ++index) {
        TBBUTTON button = {};
        if (SendMessageA(toolbar_, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button))) {
            SendMessageA(toolbar_, TB_HIDEBUTTON, button.idCommand, MAKELONG(TRUE, 0));
        }
    }
}

LRESULT BandToolbar::OnCustomDraw(const NMCUSTOMDRAW* draw) const {
    if (draw->dwDrawStage == CDDS_PREPAINT) {
        RECT client;
        GetClientRect(toolbar_, &client);
        FillRect(draw->hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    return CDRF_DODEFAULT;
}

void BandToolbar::OnTooltip(NMHDR* header) const {
    UINT id = static_cast<UINT>(header->idFrom);
    if (header->code == TTN_GETDISPINFOA) {
        auto info = reinterpret_cast<NMTTDISPINFOA*>(header);
        info->szText[0] = '\0';
        LoadStringA(Module::Instance(), id, info->szText, sizeof info->szText);
        info->lpszText = info->szText;
        info->hinst = nullptr;
    } else if (header->code == TTN_GETDISPINFOW) {
        auto info = reinterpret_cast<NMTTDISPINFOW*>(header);
        info->szText[0] = L'\0';
        LoadStringW(Module::Instance(), id, info->szText, ARRAYSIZE(info->szText));
        info->lpszText = info->szText;
        info->hinst = nullptr;
    }
}

POINT BandToolbar::MenuOrigin(const RECT& buttonOnScreen) {
    POINT origin = {buttonOnScreen.left, buttonOnScreen.bottom};
    if (MonitorFromPoint(origin, MONITOR_DEFAULTTONULL)) return origin;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        origin.x = std::max(work.left, std::min(origin.x, work.right - 1));
    }
    return origin;
}

LRESULT BandToolbar::OnDropDown(const NMTOOLBARA* button, HWND pane,
                                const StyleSheetList& sheets) const {
    int index = static_cast<int>(SendMessageA(toolbar_, TB_COMMANDTOINDEX, button->iItem, 0));
    if (index < 0) return TBDDRET_NODEFAULT;
    RECT rect = {};
    SendMessageA(toolbar_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    POINT origin = MenuOrigin(rect);
    OptionsMenu menu(Module::Instance(), sheets);
    if (menu.Popup()) {
        TrackPopupMenu(menu.Popup(), TPM_RIGHTBUTTON, origin.x, origin.y, 0, pane, nullptr);
    }
    return TBDDRET_DEFAULT;
}
