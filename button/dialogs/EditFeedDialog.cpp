#include "dialogs/EditFeedDialog.h"

#include <cwchar>

#include "core/RssButton.h"
#include "dialogs/AddDialogControls.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

namespace {
void CopyCut(wchar_t (&target)[MAX_PATH], const wchar_t* text) {
    wcsncpy(target, text ? text : L"", MAX_PATH - 1);
    target[MAX_PATH - 1] = L'\0';
}
}  // namespace

EditFeedDialog::EditFeedDialog(RssButton* button) : DialogBase(button, IDD_EDIT_FEED) {}

INT_PTR EditFeedDialog::Open(HWND owner, const wchar_t* title, const wchar_t* address, int number) {
    CopyCut(title_, title);
    CopyCut(address_, address);
    number_ = number;
    return RunModal(owner);
}

bool EditFeedDialog::ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    INT_PTR* result) {
    if (message == WM_INITDIALOG) {
        DialogBase::ProcessMessage(window, message, wParam, lParam, result);
        SetDlgItemTextW(window, IDC_EDIT_TITLE, title_);
        SetDlgItemTextW(window, IDC_EDIT_ADDRESS, address_);
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
    if (!Button() || number_ < 1) return;
    RenameSubscription(Button()->RssIniPath(), number_, title.c_str());
    Close(IDC_EDIT_OK);
}
