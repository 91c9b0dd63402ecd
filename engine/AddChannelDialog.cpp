#include "engine/AddChannelDialog.h"

#include "engine/EngineResources.h"
#include "engine/EngineText.h"

void AddChannelDialog::OnInit() {
    SetItemText(IDC_ADDRESS, address_.empty() ? L"http://" : address_);
    SendDlgItemMessageW(Handle(), IDC_ADDRESS, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(Handle(), IDC_ADDRESS));
}

bool AddChannelDialog::OnCommand(WORD id) {
    if (id == IDC_IMPORT) {
        End(kImport);
        return true;
    }
    if (id == IDOK) {
        address_ = TrimAddress(ItemText(IDC_ADDRESS));
        // An address without a host is no subscription: keep asking.
        if (address_.empty() || address_ == L"http://" || address_ == L"https://") {
            MessageBeep(MB_ICONWARNING);
            return true;
        }
    }
    return ModalDialog::OnCommand(id);
}
