#pragma once
// Helpers of the dialog tests: a feed button placed on the host toolbar
// stand-in that records its web reader requests, a bounded message pump and
// the control operations a user performs.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/HostProtocol.h"
#include "core/Module.h"
#include "core/RssButton.h"
#include "host/HostToolbar.h"
#include "support/Patience.h"

namespace dialogtest {

// A feed button that records the reader subscriptions the dialogs ask for
// (from whichever thread) instead of sending them.
class RecordingButton : public RssButton {
public:
    RecordingButton() { InitializeCriticalSection(&lock_); }
    ~RecordingButton() override { DeleteCriticalSection(&lock_); }

    bool ReaderSubscribe(const wchar_t* address) override {
        EnterCriticalSection(&lock_);
        readerCalls_.push_back(address ? address : L"");
        LeaveCriticalSection(&lock_);
        return false;
    }
    std::vector<std::wstring> ReaderCalls() {
        EnterCriticalSection(&lock_);
        std::vector<std::wstring> calls = readerCalls_;
        LeaveCriticalSection(&lock_);
        return calls;
    }

private:
    CRITICAL_SECTION lock_;
    std::vector<std::wstring> readerCalls_;
};

// The host toolbar stand-in (no plug-in library) with a RecordingButton
// placed on it the way the host places a button.
class ButtonOnHost {
public:
    explicit ButtonOnHost(bool loggedIn = true) {
        HostToolbar::Options options;
        options.loggedIn = loggedIn;
        created_ = host_.Create(options);
        button_.reset(new RecordingButton());
        if (created_) button_->OnMessage(host_.Record(), host_.Host(), kCodePlaced, 0, 0);
    }
    ~ButtonOnHost() {
        if (created_) button_->OnMessage(host_.Record(), host_.Host(), kCodeUnload, 0, 0);
        button_.reset();
    }
    bool Created() const { return created_ && button_->ToolbarWindow(); }
    RecordingButton& Button() { return *button_; }
    HostToolbar& Host() { return host_; }

private:
    HostToolbar host_;
    std::unique_ptr<RecordingButton> button_;
    bool created_ = false;
};

// Steps played one after another from a thread timer; a step that is not
// ready yet (its window has not appeared) returns false and is tried again.
// Steps that open something modal post their click, so that no step runs
// inside another. After the time limit every dialog is cancelled.
class Script {
public:
    using Step = std::function<bool()>;
    explicit Script(std::vector<Step> steps) : steps_(std::move(steps)) {
        current_ = this;
        start_ = GetTickCount();
        timer_ = SetTimer(nullptr, 0, 30, &Tick);
    }
    ~Script() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Finished() const { return next_ >= steps_.size(); }
    size_t StepsDone() const { return next_; }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* self = current_;
        // A step that pumps messages sees no further ticks until it returns.
        if (!self || self->inStep_) return;
        if (GetTickCount() - self->start_ > 2 * kPatienceMs) {
            // Whichever window is active, the modal loop must end.
            self->timedOut_ = true;
            EnumThreadWindows(GetCurrentThreadId(), &CancelDialog, 0);
            return;
        }
        self->inStep_ = true;
        if (!self->Finished() && self->steps_[self->next_]()) ++self->next_;
        self->inStep_ = false;
    }

    static BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
        wchar_t name[16] = L"";
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window))
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }

    static inline Script* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD start_ = 0;
    UINT_PTR timer_ = 0;
    bool timedOut_ = false;
    bool inStep_ = false;
};

inline HWND FindDialog(const wchar_t* caption) {
    HWND window = FindWindowW(L"#32770", caption);
    return window && IsWindowVisible(window) ? window : nullptr;
}

inline void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

// Pumps messages until done() holds or timeout ms have passed.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeout = kPatienceMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start >= timeout) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline std::wstring Text(HWND dialog, int id) {
    wchar_t text[1024] = L"";
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

inline void SetText(HWND dialog, int id, const std::wstring& text) {
    SetDlgItemTextW(dialog, id, text.c_str());
}

inline bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

inline bool Shown(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

inline void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline std::wstring StringResource(UINT id) {
    wchar_t text[512] = L"";
    LoadStringW(ModuleInstance(), id, text, 512);
    return text;
}

}  // namespace dialogtest
