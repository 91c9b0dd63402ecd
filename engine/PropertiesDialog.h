#pragma once
// "属性": shows a folder's name, or a channel's name and feed address, and
// lets the user change them.
#include "engine/ModalDialog.h"

class PropertiesDialog : public ModalDialog {
public:
    PropertiesDialog(std::wstring title, std::wstring address, bool folder)
        : title_(std::move(title)), address_(std::move(address)), folder_(folder) {}
    const std::wstring& Title() const { return title_; }
    const std::wstring& Address() const { return address_; }

protected:
    void OnInit() override;
    bool OnCommand(WORD id) override;

private:
    std::wstring title_;
    std::wstring address_;
    bool folder_;
};
