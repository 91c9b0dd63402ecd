#pragma once
#include <windows.h>
#include <exdisp.h>

#include <string>

#include "common/ComRef.h"
#include "core/HostRecord.h"
#include "core/ToolbarHost.h"

// Base of every button object: turns the host's messages into virtual
// handlers and keeps what the host told about the button. Used on the thread
// of the browser window that holds the toolbar.
class ToolbarButton {
public:
    ToolbarButton();
    virtual ~ToolbarButton();
    ToolbarButton(const ToolbarButton&) = delete;
    ToolbarButton& operator=(const ToolbarButton&) = delete;

    // The dispatcher: initialises lazily, learns visibility, then calls the
    // handler of the code.
    virtual LONG OnMessage(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                           LONG_PTR d);

    bool IsInitialised() const { return initialised_ != 0; }
    bool IsVisibilityKnown() const { return visibilityKnown_ != 0; }
    bool IsVisible() const { return visible_ != 0; }
    HWND ToolbarWindow() const { return toolbar_; }
    DWORD UserNumber() const { return userNumber_; }
    bool IsLoggedIn() const { return loggedIn_ != 0; }
    WORD CommandId() const { return commandId_; }
    const std::wstring& ButtonName() const { return name_; }
    const wchar_t* TbPath() const { return tbPath_; }
    const wchar_t* IncPath() const { return incPath_; }
    const wchar_t* UnconfirmedTbPath() const { return unconfirmedTbPath_; }

protected:
    virtual LONG OnInit(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d);
    virtual LONG OnVisibility(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                              LONG_PTR d);
    virtual LONG OnUserState(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                             LONG_PTR d);
    virtual LONG OnUserChanged(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                               LONG_PTR d);
    // screenRect is the button in screen coordinates; hidden tells that the
    // toolbar reports the button as hidden (e.g. in its overflow).
    virtual LONG OnDropDown(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                            const RECT* screenRect, BOOL hidden);
    virtual LONG OnClick(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d);
    virtual LONG OnCommand(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                           LONG_PTR d);
    virtual LONG OnUnload(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d);
    virtual LONG OnOther(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d);
    virtual void GetButtonScreenRect(WORD commandId, RECT* rect, BOOL* hidden,
                                     const HostRecord* record);

    ToolbarHost* Host() const { return host_.Get(); }
    IWebBrowser2* Browser() const { return browser_.Get(); }

private:
    void ComputeConfirmedPaths();
    void ComputeUnconfirmedPath();
    bool ToolbarHoldsButton() const;
    // Visibility as the toolbar shows it, then the user handlers.
    void LearnVisibility(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c);
    void Clear();

    LONG initialised_ = 0;
    LONG visibilityKnown_ = 0;
    HWND toolbar_ = nullptr;
    ComRef<ToolbarHost> host_;
    ComRef<IWebBrowser2> browser_;
    LONG visible_ = 0;
    wchar_t tbPath_[MAX_PATH] = {};
    wchar_t incPath_[MAX_PATH] = {};
    wchar_t unconfirmedTbPath_[MAX_PATH] = {};
    DWORD userNumber_ = 0;
    LONG loggedIn_ = 0;
    WORD commandId_ = 0;
    std::wstring name_;
    HostRecord* record_ = nullptr;
};
