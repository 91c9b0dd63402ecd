#include "dialogs/DialogKeyboard.h"

#include <algorithm>
#include <vector>

namespace {

// The open modeless dialogs of one thread and that thread's hook.
struct ThreadDialogs {
    DWORD thread = 0;
    HHOOK hook = nullptr;
    std::vector<HWND> dialogs;
};

class Locked {
public:
    explicit Locked(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
    ~Locked() { LeaveCriticalSection(lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION* lock_;
};

// Every thread's entry; each thread only touches its own, but the table is
// shared by the browser windows' threads of the process.
class DialogTable {
public:
    DialogTable() { InitializeCriticalSection(&lock_); }
    ~DialogTable() { DeleteCriticalSection(&lock_); }

    void Add(HWND dialog, HOOKPROC proc) {
        Locked locked(&lock_);
        ThreadDialogs* entry = Find(GetCurrentThreadId());
        if (!entry) {
            ThreadDialogs fresh;
            fresh.thread = GetCurrentThreadId();
            fresh.hook = SetWindowsHookExW(WH_GETMESSAGE, proc, nullptr, fresh.thread);
            entries_.push_back(fresh);
            entry = &entries_.back();
        }
        if (std::find(entry->dialogs.begin(), entry->dialogs.end(), dialog) == entry->dialogs.end())
            entry->dialogs.push_back(dialog);
    }

    void Remove(HWND dialog) {
        HHOOK unhook = nullptr;
        {
            Locked locked(&lock_);
            ThreadDialogs* entry = Find(GetCurrentThreadId());
            if (!entry) return;
            auto& dialogs = entry->dialogs;
            dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
            if (dialogs.empty()) {
                unhook = entry->hook;
                entries_.erase(entries_.begin() + (entry - entries_.data()));
            }
        }
        if (unhook) UnhookWindowsHookEx(unhook);
    }

    // This thread's dialog that is window or holds it, null when none.
    HWND DialogOf(HWND window) {
        std::vector<HWND> dialogs;
        {
            Locked locked(&lock_);
            if (ThreadDialogs* entry = Find(GetCurrentThreadId())) dialogs = entry->dialogs;
        }
        for (HWND dialog : dialogs) {
            if (window == dialog || IsChild(dialog, window)) return dialog;
        }
        return nullptr;
    }

private:
    ThreadDialogs* Find(DWORD thread) {
        for (ThreadDialogs& entry : entries_) {
            if (entry.thread == thread) return &entry;
        }
        return nullptr;
    }

    CRITICAL_SECTION lock_;
    std::vector<ThreadDialogs> entries_;
};

DialogTable& Table() {
    static DialogTable table;
    return table;
}

bool IsKeyboardMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

// Runs inside the browser's GetMessage or PeekMessage on the dialog's thread.
// A message the dialog manager took is turned into WM_NULL, which the
// browser's loop then dispatches to no effect.
LRESULT CALLBACK OnGetMessage(int code, WPARAM removal, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && message &&
        IsKeyboardMessage(message->message)) {
        try {
            HWND dialog = Table().DialogOf(message->hwnd);
            if (dialog && IsDialogMessageW(dialog, message)) {
                message->message = WM_NULL;
                message->wParam = 0;
                message->lParam = 0;
            }
        } catch (...) {
            // The message goes on to the browser as it came.
        }
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

void DialogKeyboard::Attach(HWND dialog) {
    if (dialog) Table().Add(dialog, &OnGetMessage);
}

void DialogKeyboard::Detach(HWND dialog) {
    if (dialog) Table().Remove(dialog);
}
