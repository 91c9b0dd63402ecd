#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "core/HostRecord.h"
#include "host/HostUserBlock.h"
#include "host/MenuSnapshot.h"
#include "host/ToolbarHostObject.h"

class WebBrowserStandin;

// The host browser toolbar of the button plug-in, for tests and the demo: a
// frame window with a common-controls toolbar holding one button, the
// button's host record and host object, the user block, the timer relay and
// the toolbar notifications. It loads the plug-in library and calls its
// OnButtonMessage like the real host. Single-threaded: use it on one thread
// and pump its messages there.
class HostToolbar {
public:
    using ButtonEntry = LONG(WINAPI*)(HostRecord*, ToolbarHost*, LONG, LONG_PTR, LONG_PTR);

    struct Options {
        WORD commandId = 0x5001;
        std::wstring buttonName = L"RSS";
        bool showFrame = true;
        // False: the record names a command id the toolbar does not hold.
        bool placeButton = true;
        DWORD userNumber = 1001;
        bool loggedIn = true;
        std::wstring loginKey = L"key-1001";
    };
    struct Notification {
        WPARAM wParam;
        LPARAM lParam;
    };

    // What the host does once the button's menu is open and drawn. The
    // plug-in's code 4 returns only when the menu has closed.
    struct MenuPlan {
        UINT choose = 0;                  // an item to choose with the keyboard; 0 dismisses
        int previewSubmenu = -1;          // a top-level position whose submenu to open first
        std::function<void()> whileOpen;  // e.g. a screenshot
    };

    HostToolbar();
    ~HostToolbar();
    HostToolbar(const HostToolbar&) = delete;
    HostToolbar& operator=(const HostToolbar&) = delete;

    bool Create(const Options& options);
    bool Create() { return Create(Options()); }
    // LoadLibrary and the export; false when either is missing.
    bool LoadPlugin(const std::wstring& path);
    HMODULE Plugin() const { return plugin_; }

    // OnButtonMessage with this button's record and host key.
    LONG Send(LONG code, LONG_PTR c = 0, LONG_PTR d = 0);
    // OnButtonMessage with anything, for bad input.
    LONG SendRaw(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c, LONG_PTR d);
    // Code 6; when the plug-in answers, its icon is put on the toolbar button.
    // Returns the record the plug-in filled (mask 0: no answer).
    IconQuery QueryIcon();

    // Runs the message loop for ms milliseconds.
    void Pump(DWORD ms);
    // True when the timer was armed on the toolbar window; it is gone after.
    bool KillPluginTimer(UINT_PTR id);
    void ShowFrame(bool show);

    HWND Frame() const { return frame_; }
    HWND Toolbar() const { return toolbar_; }
    HostRecord* Record() { return &record_; }
    ToolbarHostObject* Host() const { return host_; }
    WebBrowserStandin* Browser() const { return browser_; }
    HostUserBlock& UserBlock() { return userBlock_; }

    // The user that WM_USER+200 (0x00B20000) confirms as current.
    void SetCurrentUser(DWORD user) { currentUser_ = user; }
    const std::vector<UINT_PTR>& RelayedTimers() const { return relayedTimers_; }
    const std::vector<LPARAM>& UserQueries() const { return userQueries_; }
    const std::vector<Notification>& Notifications() const { return notifications_; }

    // Code 4 as the toolbar sends it for the drop-down arrow, with the plan.
    LONG DropDown(const MenuPlan& plan);
    LONG DropDown();
    // The plug-in's menu as the host last saw it open (empty if none).
    const std::vector<MenuEntry>& LastMenu() const { return lastMenu_; }
    int MenusShown() const { return menusShown_; }
    // The resource number of an icon the plug-in handed out, -1 if unknown.
    int IconResourceOf(HICON icon);

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
    bool CreateToolbar(const Options& options);
    LRESULT OnToolbarNotify(WPARAM wParam, LPARAM lParam);
    bool OnTimer(UINT_PTR id);
    LRESULT OnFrameNotify(const NMHDR* header);
    void OnMenuOpened(HMENU menu);
    void OnPlanTimer();
    void FinishPlan();
    void PostKeys(const std::vector<WPARAM>& keys);
    LRESULT OnMeasureItem(MEASUREITEMSTRUCT* measure);
    LRESULT OnDrawItem(DRAWITEMSTRUCT* draw);
    HICON AskItemIcon(DRAWITEMSTRUCT* draw);

    HWND frame_ = nullptr;
    HWND toolbar_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::wstring name_;
    HostRecord record_ = {};
    ToolbarHostObject* host_ = nullptr;
    WebBrowserStandin* browser_ = nullptr;
    HostUserBlock userBlock_;
    HMODULE plugin_ = nullptr;
    ButtonEntry entry_ = nullptr;
    DWORD currentUser_ = 0;
    std::vector<UINT_PTR> relayedTimers_;
    std::vector<LPARAM> userQueries_;
    std::vector<Notification> notifications_;
    MenuPlan plan_;
    HMENU openMenu_ = nullptr;
    bool planDone_ = true;
    std::vector<MenuEntry> lastMenu_;
    int menusShown_ = 0;
    std::vector<std::pair<int, std::vector<DWORD>>> iconPrints_;
};
