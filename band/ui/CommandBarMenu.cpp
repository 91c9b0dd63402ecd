#include "ui/CommandBarMenu.h"

#include <algorithm>

#include "common/WindowDC.h"
#include "ui/ToolbarResource.h"

const char CommandBarMenu::kClassName[] = "RSS_CommandBar";

namespace {

const COLORREF kToolbarMask = RGB(192, 192, 192);
const int kImageSize = 16;
const int kGap = 4;
const int kTextIndent = kImageSize + 3 * kGap;

HFONT CreateMenuFont() {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return nullptr;
    }
    return CreateFontIndirectA(&metrics.lfMenuFont);
}

}  // namespace

CommandBarMenu::CommandBarMenu(HINSTANCE module, UINT toolbarId) : module_(module) {
    ToolbarResource layout(module, toolbarId);
    for (WORD command : layout.Commands()) {
        if (command) toolbarCommands_.push_back(command);
    }
    images_.Reset(ImageList_LoadImageA(module, MAKEINTRESOURCEA(toolbarId), kImageSize, 1,
                                       kToolbarMask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    font_.Reset(CreateMenuFont());
}

CommandBarMenu::~CommandBarMenu() {
    Destroy();
}

UINT CommandBarMenu::Track(HWND pane, HMENU popup, POINT at) {
    if (!popup) return 0;
    RECT none = {0, 0, 0, 0};
    if (!Window::Create(kClassName, pane, none, kStyle)) return 0;
    MakeOwnerDrawn(popup);
    UINT command = static_cast<UINT>(TrackPopupMenu(
        popup, TPM_RIGHTBUTTON | TPM_VERTICAL | TPM_RETURNCMD, at.x, at.y, 0, Handle(), nullptr));
    Destroy();
    return command;
}

void CommandBarMenu::MakeOwnerDrawn(HMENU popup) {
    items_.clear();
    int count = GetMenuItemCount(popup);
    items_.reserve(count > 0 ? count : 0);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(popup, position, TRUE, &info)) continue;
        if ((info.fType & MFT_SEPARATOR) || info.hSubMenu) continue;
        char text[256] = "";
        GetMenuStringA(popup, position, text, sizeof text, MF_BYPOSITION);
        auto found = std::find(toolbarCommands_.begin(), toolbarCommands_.end(), info.wID);
        int image = found == toolbarCommands_.end()
                        ? -1
                        : static_cast<int>(found - toolbarCommands_.begin());
        items_.push_back({info.wID, text, image});
        MENUITEMINFOA drawn = {};
        drawn.cbSize = sizeof drawn;
        drawn.fMask = MIIM_FTYPE | MIIM_DATA;
        drawn.fType = (info.fType & ~MFT_STRING) | MFT_OWNERDRAW;
        drawn.dwItemData = items_.size() - 1;
        SetMenuItemInfoA(popup, position, TRUE, &drawn);
    }
}

LRESULT CommandBarMenu::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        auto measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType == ODT_MENU) {
            Measure(measure);
            return TRUE;
        }
    } else if (message == WM_DRAWITEM) {
        auto draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType == ODT_MENU) {
            Draw(draw);
            return TRUE;
        }
    }
    return Default(message, wParam, lParam);
}

void CommandBarMenu::Measure(MEASUREITEMSTRUCT* measure) {
    if (measure->itemData >= items_.size()) return;
    const Item& item = items_[measure->itemData];
    WindowDC dc(Handle());
    HGDIOBJ old = font_.Get() ? SelectObject(dc.Get(), font_.Get()) : nullptr;
    SIZE size = {};
    GetTextExtentPoint32A(dc.Get(), item.text.c_str(), static_cast<int>(item.text.size()), &size);
    if (old) SelectObject(dc.Get(), old);
    measure->itemWidth = kTextIndent + size.cx + 2 * kGap;
    measure->itemHeight = std::max<LONG>(kImageSize, size.cy) + kGap + 2;
}

void CommandBarMenu::Draw(const DRAWITEMSTRUCT* draw) const {
    if (draw->itemData >= items_.size()) return;
    const Item& item = items_[draw->itemData];
    bool grey = (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    bool selected = (draw->itemState & ODS_SELECTED) != 0 && !grey;
    RECT rect = draw->rcItem;
    FillRect(draw->hDC, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (item.image >= 0 && images_) {
        int top = rect.top + (rect.bottom - rect.top - kImageSize) / 2;
        ImageList_Draw(images_.Get(), item.image, draw->hDC, rect.left + kGap, top,
                       grey ? ILD_BLEND50 : ILD_TRANSPARENT);
    }
    HGDIOBJ old = font_.Get() ? SelectObject(draw->hDC, font_.Get()) : nullptr;
    SetBkMode(draw->hDC, TRANSPARENT);
    SetTextColor(draw->hDC, GetSysColor(grey       ? COLOR_GRAYTEXT
                                        : selected ? COLOR_HIGHLIGHTTEXT
                                                   : COLOR_MENUTEXT));
    rect.left += kTextIndent;
    DrawTextA(draw->hDC, item.text.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER);
    if (old) SelectObject(draw->hDC, old);
}
