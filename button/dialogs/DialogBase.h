#pragma once
#include <windows.h>

class DialogOwner;

// Base of the plug-in's dialogs: one object per dialog, reused for every
// window made from its template. The dialog procedure finds the object in the
// window's DWLP_USER slot from WM_INITDIALOG to WM_NCDESTROY and hands it
// every message. Used on the thread of the browser window only.
class DialogBase {
public:
    DialogBase(DialogOwner* button, int templateId);
    // Destroys a window that is still open.
    virtual ~DialogBase();
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // A modeless window owned by owner, shown; an open one is only brought
    // forward. Null when the template cannot be made into a window.
    HWND CreateModeless(HWND owner);
    // Runs the dialog modally; the code it ended with, -1 on failure.
    INT_PTR RunModal(HWND owner);
    // Shows the open window and brings it forward with what it shows.
    void BringForward();
    // Ends a modal dialog with code; destroys a modeless one.
    void Close(INT_PTR code);

    HWND Window() const { return window_; }
    bool IsOpen() const { return window_ != nullptr; }
    bool IsModal() const { return modal_; }
    int TemplateId() const { return templateId_; }

protected:
    // Handles one message; true when handled, with *result the answer (the
    // focus flag for WM_INITDIALOG). The base centres the window at
    // WM_INITDIALOG and turns IDOK and IDCANCEL into the two hooks; when the
    // hook agrees, a modal dialog ends with 1 or 2 and a modeless one is
    // destroyed.
    virtual bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                INT_PTR* result);
    virtual bool OnOk() { return true; }
    virtual bool OnCancel() { return true; }

    DialogOwner* Button() const { return button_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CentreOverOwner();

    DialogOwner* button_;
    int templateId_;
    HWND window_ = nullptr;
    bool modal_ = false;
};

// Places window centred over area, moved inside bounds where it would stick
// out, without changing its size, order or activation. Both rectangles are in
// screen coordinates.
void CentreWindowIn(HWND window, const RECT& area, const RECT& bounds);
