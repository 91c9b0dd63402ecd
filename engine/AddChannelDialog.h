#pragma once
// "添加频道": asks for a feed address, prefilled with a dropped or handed-over
// link. Its import button ends it with kImport, for an OPML file instead.
#include "engine/ModalDialog.h"

class AddChannelDialog : public ModalDialog {
public:
    static const INT_PTR kImport = 3;

    explicit AddChannelDialog(std::wstring address) : address_(std::move(address)) {}
    const std::wstring& Address() const { return address_; }

protected:
    void OnInit() override;
    bool OnCommand(WORD id) override;

private:
    std::wstring address_;
};
