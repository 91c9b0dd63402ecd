#pragma once
#include <windows.h>

#include "dialogs/DialogBase.h"
#include "feeds/SubscriptionStore.h"

// "编辑该RSS订阅" (template 104): renames a listed subscription wherever it
// stands when the title is confirmed. The address is shown read-only; the
// title must keep to 30 characters, and an emptied one is written as empty.
class EditFeedDialog : public DialogBase {
public:
    explicit EditFeedDialog(DialogOwner* button);

    // Modal: IDC_EDIT_OK (1006) when the new title was written, 2 when
    // cancelled or the subscription was gone meanwhile, -1 when the window
    // could not be made.
    INT_PTR Open(HWND owner, const ListedSubscription& listed);

protected:
    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        INT_PTR* result) override;

private:
    void OnConfirm();

    ListedSubscription listed_;
};
