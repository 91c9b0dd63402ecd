#include "dialogs/ManageFeedsDialog.h"

#include <cwchar>

#include "core/Module.h"
#include "dialogs/DialogOwner.h"
#include "dialogs/AddDialogControls.h"
#include "dialogs/EditFeedDialog.h"
#include "dialogs/ListRows.h"
#include "dialogs/SubscriptionTransfer.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

namespace {
// wParam: the fill's generation.
constexpr UINT kFilledMessage = WM_APP + 2;
const COLORREF kLinkColour = RGB(8, 51, 189);

}  // namespace

std::wstring JoinTitles(const std::vector<std::wstring>& titles) {
    std::wstring joined;
    for (size_t i = 0; i < titles.size(); ++i) {
        if (i) joined += L',';
        joined += titles[i];
    }
    if (joined.size() > kMaxValueLength) joined.resize(kMaxValueLength);
    return joined;
}

ManageFeedsDialog::ManageFeedsDialog(DialogOwner* button)
    : DialogBase(button, IDD_MANAGE_FEEDS),
      customAdd_(button),
      worker_([this](const DownloadGuard& guard) { return FillOnWorker(guard); }) {}

ManageFeedsDialog::~ManageFeedsDialog() {
    if (Window()) DestroyWindow(Window());
    worker_.End();
    if (images_) ImageList_Destroy(images_);
}

INT_PTR ManageFeedsDialog::Open(HWND owner) {
    if (!Button()) return -1;
    rssIni_ = Button()->RssIniPath();
    return RunModal(owner);
}

HWND ManageFeedsDialog::List() const {
    return Window() ? GetDlgItem(Window(), IDC_MANAGE_LIST) : nullptr;
}

bool ManageFeedsDialog::ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       INT_PTR* result) {
    switch (message) {
        case WM_INITDIALOG:
            DialogBase::ProcessMessage(window, message, wParam, lParam, result);
            OnInit();
            return true;
        case kFilledMessage:
            OnFilled(wParam);
            return true;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            if (LOWORD(wParam) == IDC_REMOVE) {
                OnRemove();
                return true;
            }
            if (LOWORD(wParam) == IDC_MANAGE_ADD) {
                OnAdd();
                return true;
            }
            if (LOWORD(wParam) == IDC_IMPORT && Button()) {
                if (ImportSubscriptionsFromFile(Window(), *Button())) Refill();
                return true;
            }
            if (LOWORD(wParam) == IDC_EXPORT && Button()) {
                ExportSubscriptionsToFile(Window(), *Button());
                return true;
            }
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->idFrom != IDC_MANAGE_LIST) break;
            if (header->code == LVN_ITEMCHANGED) {
                UpdateRemoveButton();
                return true;
            }
            if (header->code == NM_CLICK) {
                OnClick(reinterpret_cast<NMITEMACTIVATE*>(lParam));
                return true;
            }
            if (header->code == NM_CUSTOMDRAW) {
                *result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
                return true;
            }
            break;
        }
        case WM_DESTROY:
            ++generation_;
            worker_.End();
            listSubclass_.Detach();
            return true;
        default:
            break;
    }
    return DialogBase::ProcessMessage(window, message, wParam, lParam, result);
}

void ManageFeedsDialog::OnInit() {
    HWND list = List();
    overLink_ = false;
    linkText_ = LoadText(IDS_EDIT_LINK);
    SetWindowLongW(list, GWL_STYLE,
                   GetWindowLongW(list, GWL_STYLE) | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    if (!images_) {
        images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
        auto icon =
            static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_SUBSCRIPTION),
                                          IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        if (images_ && icon) iconIndex_ = ImageList_AddIcon(images_, icon);
        if (icon) DestroyIcon(icon);
    }
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    AddColumn(list, 0, kBoxColumnWidth);
    AddColumn(list, 1, kTitleColumnWidth);
    AddColumn(list, 2, kLinkColumnWidth);

    listFont_ = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    linkFont_.CreateScaled(listFont_, 1);
    // Rows two text lines high.
    if (rowFont_.CreateScaled(listFont_, 2))
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(rowFont_.Get()), FALSE);
    listSubclass_.Attach<kManageListProperty>(
        list, [this](HWND w, UINT m, WPARAM wp, LPARAM lp, LRESULT* r) {
            return OnListMessage(w, m, wp, lp, r);
        });
    EnableControl(Window(), IDC_REMOVE, false);

    runGeneration_ = ++generation_;
    target_ = Window();
    worker_.Begin();
}

int ManageFeedsDialog::FillOnWorker(const DownloadGuard&) {
    filled_ = ReadSubscriptions(rssIni_.c_str());
    PostMessageW(target_, kFilledMessage, static_cast<WPARAM>(runGeneration_), 0);
    return 1;
}

void ManageFeedsDialog::OnFilled(WPARAM generation) {
    if (static_cast<LONG>(generation) != generation_) return;
    // The worker has posted its last word; it is released before its rows are read.
    worker_.End();
    InsertRows(std::move(filled_));
    filled_.clear();
}

void ManageFeedsDialog::Refill() {
    ++generation_;
    worker_.End();
    filled_.clear();
    SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
    InsertRows(ReadSubscriptions(rssIni_.c_str()));
    UpdateRemoveButton();
}

void ManageFeedsDialog::InsertRows(std::vector<ListedSubscription> rows) {
    HWND list = List();
    rows_.clear();
    // One repaint for the lot rather than one per row.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (ListedSubscription& listed : rows) {
        int row = AppendRow(list, iconIndex_);
        if (row < 0) break;
        SetCellText(list, row, 1, listed.title.c_str());
        SetCellText(list, row, 2, linkText_.c_str());
        rows_.push_back(std::move(listed));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void ManageFeedsDialog::UpdateRemoveButton() {
    HWND list = List();
    bool any = false;
    for (int row = RowCount(list) - 1; row >= 0 && !any; --row) any = RowTicked(list, row);
    EnableControl(Window(), IDC_REMOVE, any);
}

void ManageFeedsDialog::OnRemove() {
    HWND list = List();
    int rows = RowCount(list);
    std::vector<ListedSubscription> gone;
    std::vector<std::wstring> titles;
    for (int row = 0; row < rows && row < static_cast<int>(rows_.size()); ++row) {
        if (!RowTicked(list, row)) continue;
        gone.push_back(rows_[row]);
        titles.push_back(CellText(list, row, 1));
    }
    if (titles.empty()) return;

    // wsprintfW reads the resource's %s as UTF-16 and writes at most 1024
    // characters, more than the joined titles and the text need.
    wchar_t message[1024] = L"";
    wsprintfW(message, LoadText(IDS_CONFIRM_REMOVE).c_str(), JoinTitles(titles).c_str());
    std::wstring text(message);
    if (text.size() > kMaxValueLength) text.resize(kMaxValueLength);
    if (MessageBoxW(Window(), text.c_str(), LoadText(IDS_TOOLBAR_CAPTION).c_str(), MB_OKCANCEL) !=
        IDOK)
        return;

    // Another browser window may have added or removed subscriptions since
    // the list was filled: the ticked ones are found by what they are, not
    // by the numbers they had.
    RemoveListedSubscriptions(rssIni_.c_str(), Button()->HistoryIniPath(), gone);
    Refill();
}

void ManageFeedsDialog::OnAdd() {
    if (customAdd_.OpenModal(Window()) == IDC_ADD) Refill();
}

void ManageFeedsDialog::OnClick(const NMITEMACTIVATE* click) {
    int row = EditLinkRowAt(click->ptAction);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    EditFeedDialog edit(Button());
    // Also when the subscription was gone by the time the title was confirmed.
    if (edit.Open(Window(), rows_[row]) != -1) Refill();
}

SIZE ManageFeedsDialog::LinkTextSize() const {
    SIZE size = {};
    HWND list = List();
    HDC dc = GetDC(list);
    if (!dc) return size;
    // The font the link is drawn in: the dialog's, without underline.
    HFONT font = linkFont_.Get();
    if (!font) font = reinterpret_cast<HFONT>(SendMessageW(Window(), WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    GetTextExtentPoint32W(dc, linkText_.c_str(), static_cast<int>(linkText_.size()), &size);
    if (old) SelectObject(dc, old);
    ReleaseDC(list, dc);
    return size;
}

int ManageFeedsDialog::EditLinkRowAt(POINT point) const {
    HWND list = List();
    if (!list) return -1;
    // The link is drawn from kLinkLeft on, as wide as its text: it may reach
    // past the narrow last column, where the list's hit test finds no row.
    int row = RowAtHeight(list, point.y);
    if (row < 0) return -1;
    RECT rect = RowRect(list, row);
    SIZE text = LinkTextSize();
    int x = point.x - rect.left;
    if (x < kLinkLeft || x >= kLinkLeft + text.cx) return -1;
    int top = rect.top + (rect.bottom - rect.top - text.cy) / 2;
    if (point.y < top || point.y >= top + text.cy) return -1;
    return row;
}

LRESULT ManageFeedsDialog::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            DrawCell(draw);
            return CDRF_SKIPDEFAULT;
        default:
            return CDRF_DODEFAULT;
    }
}

void ManageFeedsDialog::DrawCell(const NMLVCUSTOMDRAW* draw) {
    HWND list = List();
    HDC dc = draw->nmcd.hdc;
    int row = static_cast<int>(draw->nmcd.dwItemSpec);
    RECT rowRect = RowRect(list, row);
    int left = rowRect.left;
    switch (draw->iSubItem) {
        case 0: {
            RECT cell = {left, rowRect.top, left + kTitleLeft, rowRect.bottom};
            FillRect(dc, &cell, GetSysColorBrush(COLOR_WINDOW));
            int boxWidth = DrawTickBox(list, dc, row, left, -1);
            if (images_ && iconIndex_ >= 0) {
                int top = rowRect.top + (rowRect.bottom - rowRect.top - 16) / 2;
                ImageList_Draw(images_, iconIndex_, dc, left + boxWidth + 2, top, ILD_TRANSPARENT);
            }
            break;
        }
        case 1: {
            RECT cell = {left + kTitleLeft, rowRect.top, left + kLinkLeft, rowRect.bottom};
            FillRect(dc, &cell, GetSysColorBrush(COLOR_WINDOW));
            RECT text = {left + kTitleLeft, rowRect.top, left + kTitleRight, rowRect.bottom};
            DrawLineOfText(dc, CellText(list, row, 1).c_str(), text, listFont_,
                           GetSysColor(COLOR_WINDOWTEXT), DT_VCENTER | DT_END_ELLIPSIS);
            break;
        }
        case 2: {
            RECT client = {};
            GetClientRect(list, &client);
            RECT cell = {left + kLinkLeft, rowRect.top, client.right, rowRect.bottom};
            FillRect(dc, &cell, GetSysColorBrush(COLOR_WINDOW));
            DrawLineOfText(dc, linkText_.c_str(), cell, linkFont_.Get(), kLinkColour, DT_VCENTER);
            break;
        }
        default:
            break;
    }
}

bool ManageFeedsDialog::OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT* result) {
    if (HandleRowLines(listSubclass_, list, message, wParam, lParam, result)) return true;
    switch (message) {
        case WM_MOUSEMOVE:
            TrackPointer(list, lParam);
            return false;
        case WM_MOUSELEAVE:
            overLink_ = false;
            return false;
        case WM_SETCURSOR:
            if (!overLink_) return false;
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            *result = TRUE;
            return true;
        default:
            return false;
    }
}

void ManageFeedsDialog::TrackPointer(HWND list, LPARAM position) {
    POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    overLink_ = EditLinkRowAt(point) >= 0;
    if (overLink_) SetCursor(LoadCursorW(nullptr, IDC_HAND));
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = list;
    _TrackMouseEvent(&track);
}
