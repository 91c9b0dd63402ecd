#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Acts inside a modal loop (a tracked menu, a modal dialog, a message box)
// that holds this thread: visit runs every period from a thread timer until
// it returns true. Once timeoutMs have passed it runs with overdue set, and
// must then close whatever it waits in, so that no loop outlives the walk.
class ModalVisit {
public:
    using Visit = std::function<bool(bool overdue)>;
    ModalVisit(Visit visit, DWORD timeoutMs, UINT periodMs = 100);
    ~ModalVisit();
    ModalVisit(const ModalVisit&) = delete;
    ModalVisit& operator=(const ModalVisit&) = delete;

    bool Done() const { return done_; }
    bool Overdue() const { return overdue_; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void Tick();

    Visit visit_;
    DWORD deadline_;
    UINT_PTR timer_ = 0;
    bool done_ = false;
    bool overdue_ = false;
    bool running_ = false;
};

// The visible dialog (class "#32770") of this thread owned, directly or
// further up, by owner's top-level window or by owner itself (any dialog
// when owner is null), with this caption; null when none. An empty caption
// matches any.
HWND FindOwnedDialog(HWND owner, const wchar_t* caption);

// The menu this thread has open (its visible "#32768" window); null when
// none. Menus of other programs on the desktop are not the walk's.
HWND ThreadMenuWindow();

// The text a message box shows: its longest static text.
std::wstring MessageText(HWND box);
