#pragma once
#include <windows.h>

#include "dialogs/DialogBase.h"

// "编辑该RSS订阅" (template 104): renames subscription n. The address is
// shown read-only; the title must keep to 30 characters, and an emptied one
// is written as empty.
class EditFeedDialog : public DialogBase {
public:
    explicit EditFeedDialog(RssButton* button);

    // Modal: IDC_EDIT_OK (1006) when the new title was written, 2 when
    // cancelled, -1 when the window could not be made.
    INT_PTR Open(HWND owner, const wchar_t* title, const wchar_t* address, int number);

protected:
    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        INT_PTR* result) override;

private:
    void OnConfirm();

    wchar_t address_[MAX_PATH] = {};
    wchar_t title_[MAX_PATH] = {};
    int number_ = 0;
};
