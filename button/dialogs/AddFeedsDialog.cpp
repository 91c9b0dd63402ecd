#include "dialogs/AddFeedsDialog.h"

#include "dialogs/DialogOwner.h"
#include "dialogs/AddDialogControls.h"
#include "dialogs/ListRows.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

namespace {
// wParam: the load's generation; lParam: the row (and its LoadOutcome).
constexpr UINT kRowStartedMessage = WM_APP + 3;
constexpr UINT kRowLoadedMessage = WM_APP + 4;
constexpr UINT kAllLoadedMessage = WM_APP + 5;

const COLORREF kSelectedRowColour = RGB(191, 212, 250);
const COLORREF kAddressColour = RGB(144, 144, 144);
constexpr int kBoxTop = 2;
constexpr int kEditorDrop = 2;

enum Column { kTickColumn, kTitleColumn, kAddressColumn };
}  // namespace

AddFeedsDialog::AddFeedsDialog(DialogOwner* button)
    : DialogBase(button, IDD_ADD_FEEDS),
      worker_([this](const DownloadGuard& guard) { return LoadOnWorker(guard); }) {}

AddFeedsDialog::~AddFeedsDialog() {
    if (Window()) DestroyWindow(Window());
    worker_.End();
}

HWND AddFeedsDialog::Open(const FeedLinkList& feeds) {
    if (IsOpen()) {
        BringForward();
        return Window();
    }
    feeds_ = feeds;
    loaded_.clear();
    for (size_t i = 0; i < feeds_.size(); ++i)
        loaded_.emplace_back(new LoadedFeed(CacheNumberOfRow(static_cast<int>(i))));
    return CreateModeless(Button() ? Button()->OwnerWindow() : nullptr);
}

HWND AddFeedsDialog::List() const {
    return Window() ? GetDlgItem(Window(), IDC_FEEDS_LIST) : nullptr;
}

bool AddFeedsDialog::ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    INT_PTR* result) {
    bool current = static_cast<LONG>(wParam) == generation_;
    switch (message) {
        case WM_INITDIALOG:
            DialogBase::ProcessMessage(window, message, wParam, lParam, result);
            OnInit();
            return true;
        case kRowStartedMessage:
            if (current) OnRowStarted(static_cast<int>(lParam));
            return true;
        case kRowLoadedMessage:
            if (current) OnRowLoaded(LOWORD(lParam), static_cast<LoadOutcome>(HIWORD(lParam)));
            return true;
        case kAllLoadedMessage:
            if (current) OnAllLoaded();
            return true;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            if (LOWORD(wParam) == IDC_ADD_FEEDS) {
                OnAdd();
                return true;
            }
            if (LOWORD(wParam) == IDC_FEEDS_CANCEL) {
                StopAndClose();
                return true;
            }
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->idFrom != IDC_FEEDS_LIST) break;
            switch (header->code) {
                case LVN_ITEMCHANGED: {
                    auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
                    if ((change->uChanged & LVIF_STATE) &&
                        ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
                        OnTicksChanged();
                    return true;
                }
                case NM_CLICK:
                    OnClick(reinterpret_cast<NMITEMACTIVATE*>(lParam));
                    return true;
                case LVN_BEGINLABELEDITW:
                    *result = OnBeginEdit(reinterpret_cast<NMLVDISPINFOW*>(lParam)) ? FALSE : TRUE;
                    return true;
                case LVN_ENDLABELEDITW:
                    OnEndEdit(reinterpret_cast<NMLVDISPINFOW*>(lParam));
                    // The first column keeps its empty label.
                    *result = FALSE;
                    return true;
                case NM_CUSTOMDRAW:
                    *result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
                    return true;
                default:
                    break;
            }
            break;
        }
        case WM_DESTROY:
            ++generation_;
            worker_.End();
            editorSubclass_.Detach();
            listSubclass_.Detach();
            loaded_.clear();
            return true;
        default:
            break;
    }
    return DialogBase::ProcessMessage(window, message, wParam, lParam, result);
}

void AddFeedsDialog::StopAndClose() {
    worker_.End();
    Close(IDCANCEL);
}

void AddFeedsDialog::OnInit() {
    HWND window = Window();
    HWND list = List();
    ApplyBoldHeader(window, headerFont_);
    ShowReaderChoice(window, Button() && Button()->ReaderLoggedIn(), false);
    AddColumn(list, kTickColumn, 20);
    AddColumn(list, kTitleColumn, 285);
    // The address is drawn by the dialog, not by its column.
    AddColumn(list, kAddressColumn, 1);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    EnableControl(window, IDC_ADD_FEEDS, false);
    ShowText(window, IDC_FEEDS_STATUS, IDS_LOADING_TITLE);
    loadTime_ = 0;
    editedRow_ = -1;

    runGeneration_ = ++generation_;
    target_ = window;
    worker_.Begin();

    listSubclass_.Attach<kAddListProperty>(
        list, [this](HWND w, UINT m, WPARAM wp, LPARAM lp, LRESULT* r) {
            return OnListMessage(w, m, wp, lp, r);
        });
    listFont_ = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    // Rows three text lines high: the title above, the address below.
    if (rowFont_.CreateScaled(listFont_, 3))
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(rowFont_.Get()), FALSE);
}

int AddFeedsDialog::LoadOnWorker(const DownloadGuard& guard) {
    for (size_t i = 0; i < feeds_.size(); ++i) {
        if (guard.Cancelled()) return 0;
        PostMessageW(target_, kRowStartedMessage, runGeneration_, static_cast<LPARAM>(i));
        LoadOutcome outcome = loaded_[i]->Load(feeds_[i].url, guard);
        PostMessageW(target_, kRowLoadedMessage, runGeneration_,
                     MAKELPARAM(i, static_cast<WORD>(outcome)));
    }
    PostMessageW(target_, kAllLoadedMessage, runGeneration_, 0);
    return 1;
}

void AddFeedsDialog::OnRowStarted(int row) {
    HWND list = List();
    if (AppendRow(list, -1) != row) return;
    RECT rect = RowRect(list, row);
    InvalidateRect(list, &rect, TRUE);
}

void AddFeedsDialog::OnRowLoaded(int row, LoadOutcome outcome) {
    if (row < 0 || row >= static_cast<int>(feeds_.size()) || row >= RowCount(List())) return;
    HWND list = List();
    // The worker is past this row: its feed is no longer written.
    bool loaded = outcome == LoadOutcome::kLoaded;
    SetCellText(list, row, kTitleColumn,
                loaded ? loaded_[row]->Title().c_str() : feeds_[row].title);
    SetCellText(list, row, kAddressColumn, feeds_[row].url);
    RECT rect = RowRect(list, row);
    InvalidateRect(list, &rect, TRUE);
}

void AddFeedsDialog::OnAllLoaded() {
    worker_.End();
    EnableControl(Window(), IDC_ADD_FEEDS, true);
    loadTime_ = CurrentUpdTime();
    ShowText(Window(), IDC_FEEDS_STATUS, 0);
}

void AddFeedsDialog::OnTicksChanged() {
    HWND list = List();
    bool any = false;
    for (int row = RowCount(list) - 1; row >= 0 && !any; --row) any = RowTicked(list, row);
    bool act = Loaded() && any;
    CheckDlgButton(Window(), IDC_READER_CHECK, act ? BST_CHECKED : BST_UNCHECKED);
    EnableControl(Window(), IDC_ADD_FEEDS, act);
}

void AddFeedsDialog::OnClick(const NMITEMACTIVATE* click) {
    if (!Loaded()) return;
    HWND list = List();
    LVHITTESTINFO hit = {};
    hit.pt = click->ptAction;
    SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0 || hit.iSubItem != kTickColumn || RowTicked(list, hit.iItem)) return;
    SetFocus(list);
    SendMessageW(list, LVM_EDITLABELW, hit.iItem, 0);
}

bool AddFeedsDialog::OnBeginEdit(const NMLVDISPINFOW* info) {
    if (!Loaded()) return false;
    HWND list = List();
    HWND editor = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
    if (!editor) return false;
    editedRow_ = info->item.iItem;
    titleBeforeEdit_ = CellText(list, editedRow_, kTitleColumn);
    SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
    SetWindowTextW(editor, titleBeforeEdit_.c_str());
    SendMessageW(editor, EM_SETSEL, 0, -1);
    editorSubclass_.Attach<kTitleEditorProperty>(
        editor, [this](HWND w, UINT m, WPARAM wp, LPARAM lp, LRESULT* r) {
            return OnEditorMessage(w, m, wp, lp, r);
        });
    SetCellText(list, editedRow_, kTitleColumn, L"");
    return true;
}

void AddFeedsDialog::OnEndEdit(const NMLVDISPINFOW* info) {
    HWND list = List();
    int row = info->item.iItem;
    editorSubclass_.Detach();
    if (row != editedRow_ || row < 0) return;
    editedRow_ = -1;
    std::wstring text = info->item.pszText ? info->item.pszText : L"";
    if (text.size() > kMaxValueLength) text.resize(kMaxValueLength);
    // An emptied or abandoned edit gives the row its title back rather than
    // leaving it without one.
    SetCellText(list, row, kTitleColumn, text.empty() ? titleBeforeEdit_.c_str() : text.c_str());
    RECT rect = RowRect(list, row);
    InvalidateRect(list, &rect, TRUE);
}

void AddFeedsDialog::OnAdd() {
    HWND window = Window();
    HWND list = List();
    DialogOwner* button = Button();
    int added = 0;
    int refused = 0;
    int rows = RowCount(list);
    bool reader = button && button->ReaderLoggedIn() && ReaderChoiceTicked(window);
    LONG updTime = loadTime_ ? loadTime_ : CurrentUpdTime();
    for (int row = 0; button && row < rows && row < static_cast<int>(feeds_.size()); ++row) {
        if (!RowTicked(list, row)) continue;
        std::wstring title = CellText(list, row, kTitleColumn);
        if (!loaded_[row]->Append(button->RssIniPath(), title.c_str(), feeds_[row].url, updTime)) {
            ++refused;
            continue;
        }
        ++added;
        if (reader) {
            ShowText(window, IDC_FEEDS_STATUS, IDS_SYNCING_TO_READER);
            UpdateWindow(window);
            button->ReaderSubscribe(feeds_[row].url);
        }
    }
    if (refused && !added) {
        // The list could not be written: nothing was added.
        ShowText(window, IDC_FEEDS_STATUS, IDS_ADD_FAILED);
        return;
    }
    StopAndClose();
    if (added) button->ShowTip(LoadText(IDS_ADDED).c_str());
}

LRESULT AddFeedsDialog::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            HWND list = List();
            int row = static_cast<int>(draw->nmcd.dwItemSpec);
            RECT rect = RowRect(list, row);
            bool selected = SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
            HBRUSH brush = CreateSolidBrush(selected ? kSelectedRowColour : RGB(255, 255, 255));
            FillRect(draw->nmcd.hdc, &rect, brush);
            DeleteObject(brush);
            return CDRF_NOTIFYSUBITEMDRAW;
        }
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            DrawCell(draw);
            return CDRF_SKIPDEFAULT;
        default:
            return CDRF_DODEFAULT;
    }
}

void AddFeedsDialog::DrawCell(const NMLVCUSTOMDRAW* draw) {
    HWND list = List();
    HDC dc = draw->nmcd.hdc;
    int row = static_cast<int>(draw->nmcd.dwItemSpec);
    RECT rowRect = RowRect(list, row);
    RECT band = {rowRect.left + kTitleLeft, rowRect.top + kTextInset, rowRect.left + kTitleRight,
                 rowRect.bottom - kTextInset};
    switch (draw->iSubItem) {
        case kTickColumn:
            DrawTickBox(list, dc, row, rowRect.left, rowRect.top + kBoxTop);
            break;
        case kTitleColumn:
            DrawLineOfText(dc, CellText(list, row, kTitleColumn).c_str(), band, listFont_,
                           RGB(0, 0, 0), DT_TOP | DT_END_ELLIPSIS);
            break;
        case kAddressColumn:
            DrawLineOfText(dc, CellText(list, row, kAddressColumn).c_str(), band, listFont_,
                           kAddressColour, DT_BOTTOM | DT_END_ELLIPSIS);
            break;
        default:
            break;
    }
}

bool AddFeedsDialog::OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                   LRESULT* result) {
    return HandleRowLines(listSubclass_, list, message, wParam, lParam, result);
}

bool AddFeedsDialog::OnEditorMessage(HWND editor, UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT* result) {
    switch (message) {
        case WM_WINDOWPOSCHANGING: {
            auto* place = reinterpret_cast<WINDOWPOS*>(lParam);
            place->cx = kEditorWidth;
            place->cy = kEditorHeight;
            place->flags &= ~SWP_NOSIZE;
            if (!(place->flags & SWP_NOMOVE)) place->y += kEditorDrop;
            *result = editorSubclass_.CallOriginal(editor, message, wParam, lParam);
            return true;
        }
        case WM_CHAR:
            *result = editorSubclass_.CallOriginal(editor, message, wParam, lParam);
            SetWindowPos(editor, nullptr, 0, 0, kEditorWidth, kEditorHeight,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return true;
        default:
            return false;
    }
}
