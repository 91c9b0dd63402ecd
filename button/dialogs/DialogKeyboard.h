#pragma once
#include <windows.h>

// The keys users expect of a dialog (Tab and Shift+Tab between controls,
// Enter for the default button, Esc to cancel, mnemonics and arrows) for
// modeless dialogs. Their messages are retrieved by the browser's own loop,
// which knows nothing of them and calls no IsDialogMessage: a message hook on
// each thread that has such a dialog open hands the dialog's keyboard
// messages to IsDialogMessage before that loop sees them. Modal dialogs run
// the dialog manager's loop, which does that itself.
class DialogKeyboard {
public:
    // From the dialog's own thread, when it is created and destroyed. The
    // thread's hook is set with its first dialog and removed with its last.
    static void Attach(HWND dialog);
    static void Detach(HWND dialog);
};
