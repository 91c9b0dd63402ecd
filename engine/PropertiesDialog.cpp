#include "engine/PropertiesDialog.h"

#include "engine/EngineResources.h"
#include "engine/EngineText.h"

void PropertiesDialog::OnInit() {
    SetItemText(IDC_TITLE, title_);
    SetItemText(IDC_ADDRESS, address_);
    EnableWindow(GetDlgItem(Handle(), IDC_ADDRESS), !folder_);
}

bool PropertiesDialog::OnCommand(WORD id) {
    if (id == IDOK) {
        std::wstring title = ItemText(IDC_TITLE);
        std::wstring address = TrimAddress(ItemText(IDC_ADDRESS));
        // Neither may become empty; an empty field keeps its old value.
        if (!TrimAddress(title).empty()) title_ = title;
        if (!folder_ && !address.empty()) address_ = address;
    }
    return ModalDialog::OnCommand(id);
}
