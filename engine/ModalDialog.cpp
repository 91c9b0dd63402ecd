#include "engine/ModalDialog.h"

#include <vector>

INT_PTR ModalDialog::Run(HINSTANCE instance, int templateId, HWND owner) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool ModalDialog::OnCommand(WORD id) {
    if (id != IDOK && id != IDCANCEL) return false;
    End(id);
    return true;
}

std::wstring ModalDialog::ItemText(int id) const {
    HWND item = GetDlgItem(window_, id);
    int length = GetWindowTextLengthW(item);
    std::vector<wchar_t> text(length + 1, L'\0');
    GetWindowTextW(item, text.data(), length + 1);
    return text.data();
}

void ModalDialog::SetItemText(int id, const std::wstring& text) const {
    SetDlgItemTextW(window_, id, text.c_str());
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            auto dialog = reinterpret_cast<ModalDialog*>(lParam);
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            dialog->window_ = window;
            dialog->OnInit();
            // The engine has no visible window of its own to come from.
            SetForegroundWindow(window);
            return TRUE;
        }
        auto dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
        if (dialog && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            return dialog->OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
        }
    } catch (...) {
    }
    return FALSE;
}
