#include "dialogs/EditFeedDialog.h"

#include "dialogs/DialogOwner.h"
#include "dialogs/AddDialogControls.h"
#include "feeds/StoreFile.h"
#include "res/resource.h"

EditFeedDialog::EditFeedDialog(DialogOwner* button) : DialogBase(button, IDD_EDIT_FEED) {}

INT_PTR EditFeedDialog::Open(HWND owner, const ListedSubscription& listed) {
    listed_ = listed;
    return RunModal(owner);
}

bool EditFeedDialog::ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    INT_PTR* result) {
    if (message == WM_INITDIALOG) {
        DialogBase::ProcessMessage(window, message, wParam, lParam, result);
        SetDlgItemTextW(window, IDC_EDIT_TITLE, listed_.title.substr(0, kMaxValueLength).c_str());
        SetDlgItemTextW(window, IDC_EDIT_ADDRESS,
                        listed_.xmlUrl.substr(0, kMaxValueLength).c_str());
        return true;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_EDIT_OK && HIWORD(wParam) == BN_CLICKED) {
        OnConfirm();
        *result = 0;
        return true;
    }
    return DialogBase::ProcessMessage(window, message, wParam, lParam, result);
}

void EditFeedDialog::OnConfirm() {
    std::wstring title = ControlText(Window(), IDC_EDIT_TITLE);
    if (title.size() > kMaxTitleLength) {
        ShowText(Window(), IDC_EDIT_STATUS, IDS_TITLE_TOO_LONG);
        return;
    }
    if (!Button()) return;
    // Another browser window may have removed or renumbered it meanwhile.
    bool renamed = RenameListedSubscription(Button()->RssIniPath(), listed_, title.c_str());
    Close(renamed ? IDC_EDIT_OK : IDCANCEL);
}
