#include "ui/StatusBarDrawing.h"

#include "common/GdiObject.h"
#include "res/resource.h"
#include "server/Module.h"

namespace {

const COLORREF kProgressColour = RGB(0x4E, 0xDA, 0x50);
const int kMaxProgress = 10;
const int kIconIndent = 5;

void FillProgress(HDC dc, const RECT& rect, int progress) {
    RECT done = rect;
    done.right = rect.left + (rect.right - rect.left) * progress / kMaxProgress;
    GdiObject<HBRUSH> brush(CreateSolidBrush(kProgressColour));
    FillRect(dc, &done, brush.Get());
}

}  // namespace

UINT UpdateStatusTextId(int progress) {
    if (progress >= 1 && progress <= kMaxProgress) return IDS_UPDATING;
    return progress == 0 ? IDS_READY : IDS_FAILED;
}

void DrawUpdateStatus(HDC dc, RECT rect, int progress) {
    if (progress >= 1 && progress <= kMaxProgress) FillProgress(dc, rect, progress);
    char text[64] = "";
    LoadStringA(Module::Instance(), UpdateStatusTextId(progress), text, sizeof text);

    rect.left += kIconIndent;
    SetBkMode(dc, TRANSPARENT);
    int side = rect.bottom - rect.top;
    // A shared icon belongs to the system's cache: never destroyed here.
    HICON icon = static_cast<HICON>(
        LoadImageA(Module::Instance(), MAKEINTRESOURCEA(IDI_BAND), IMAGE_ICON, 0, 0, LR_SHARED));
    if (icon) DrawIconEx(dc, rect.left, rect.top, icon, side, side, 0, nullptr, DI_NORMAL);
    rect.left += rect.bottom;
    DrawTextA(dc, text, -1, &rect, DT_SINGLELINE | DT_VCENTER);
}
