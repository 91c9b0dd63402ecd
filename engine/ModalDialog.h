#pragma once
// Base of the engine's dialogs: a modal dialog from a template of Feed.dll
// whose handlers are virtual members.
#include <windows.h>
#include <string>

class ModalDialog {
public:
    virtual ~ModalDialog() = default;
    // The button that ended the dialog, or -1 when it could not be shown.
    INT_PTR Run(HINSTANCE instance, int templateId, HWND owner);

protected:
    virtual void OnInit() {}
    // Returns true when the dialog ended; OK and Cancel end it by default.
    virtual bool OnCommand(WORD id);

    HWND Handle() const { return window_; }
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text) const;
    void End(INT_PTR result) const { EndDialog(window_, result); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};
