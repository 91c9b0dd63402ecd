#include "dialogs/AddDialogControls.h"

#include "core/Module.h"
#include "res/resource.h"

std::wstring LoadText(UINT id) {
    wchar_t text[MAX_PATH] = L"";
    LoadStringW(ModuleInstance(), id, text, MAX_PATH);
    return text;
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[MAX_PATH] = L"";
    GetDlgItemTextW(dialog, id, text, MAX_PATH);
    return text;
}

void ShowText(HWND dialog, int control, UINT id) {
    SetDlgItemTextW(dialog, control, id ? LoadText(id).c_str() : L"");
}

void EnableControl(HWND dialog, int id, bool enable) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return;
    // A disabled control loses the focus to nobody, and a dialog without a
    // focus gets its keys as system keys: no Tab, no Enter, no Esc.
    if (!enable && GetFocus() == control) SendMessageW(dialog, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(control, enable ? TRUE : FALSE);
}

void ApplyBoldHeader(HWND dialog, FontHandle& font) {
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!font.CreateWeighted(dialogFont, FW_BOLD)) return;
    SendDlgItemMessageW(dialog, IDC_HEADER, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()),
                        FALSE);
}

void ShowReaderChoice(HWND dialog, bool loggedIn, bool ticked) {
    CheckDlgButton(dialog, IDC_READER_CHECK, ticked ? BST_CHECKED : BST_UNCHECKED);
    ShowWindow(GetDlgItem(dialog, IDC_READER_CHECK), loggedIn ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_READER_HINT), loggedIn ? SW_HIDE : SW_SHOW);
}

bool ReaderChoiceTicked(HWND dialog) {
    HWND check = GetDlgItem(dialog, IDC_READER_CHECK);
    return check && (GetWindowLongW(check, GWL_STYLE) & WS_VISIBLE) &&
           IsDlgButtonChecked(dialog, IDC_READER_CHECK) == BST_CHECKED;
}
