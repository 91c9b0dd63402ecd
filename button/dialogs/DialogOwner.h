#pragma once
#include <windows.h>

class DialogBase;

// What the dialogs ask of the button that opens them.
class DialogOwner {
public:
    // The toolbar window: the owner of the dialogs' windows.
    virtual HWND OwnerWindow() const = 0;
    // The user is logged in to the web reader.
    virtual bool ReaderLoggedIn() const = 0;
    virtual const wchar_t* RssIniPath() const = 0;
    virtual const wchar_t* HistoryIniPath() const = 0;
    // The confirmation tip under the button.
    virtual void ShowTip(const wchar_t* text) = 0;
    // Subscribes address in the web reader as well; blocks until the service
    // answers.
    virtual bool ReaderSubscribe(const wchar_t* address) = 0;
    // Fetches what an import added, in the background.
    virtual void StartImportedRefresh() = 0;
    // The modal dialogs running inside host calls, innermost last; unloading
    // the button ends them all.
    virtual void PushModalDialog(DialogBase* dialog) = 0;
    virtual void PopModalDialog(DialogBase* dialog) = 0;

protected:
    ~DialogOwner() = default;
};
