#include "ModalVisit.h"

#include <cwchar>
#include <map>
#include <string>

namespace {

std::map<UINT_PTR, ModalVisit*>& Visits() {
    static std::map<UINT_PTR, ModalVisit*> visits;
    return visits;
}

struct DialogSearch {
    HWND owner;
    const wchar_t* caption;
    HWND found;
};

bool OwnedBy(HWND window, HWND owner) {
    if (!owner) return true;
    for (HWND up = GetWindow(window, GW_OWNER); up; up = GetWindow(up, GW_OWNER))
        if (up == owner || up == GetAncestor(owner, GA_ROOT)) return true;
    return false;
}

BOOL CALLBACK CheckDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    wchar_t className[16] = L"", caption[260] = L"";
    GetClassNameW(window, className, 16);
    GetWindowTextW(window, caption, 260);
    if (std::wstring(className) == L"#32770" && IsWindowVisible(window) &&
        OwnedBy(window, search->owner) &&
        (!*search->caption || std::wstring(caption) == search->caption)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK TakeLongestText(HWND child, LPARAM data) {
    auto* longest = reinterpret_cast<std::wstring*>(data);
    wchar_t className[16] = L"", text[1024] = L"";
    GetClassNameW(child, className, 16);
    GetWindowTextW(child, text, 1024);
    if (_wcsicmp(className, L"Static") == 0 && wcslen(text) > longest->size()) *longest = text;
    return TRUE;
}

BOOL CALLBACK TakeVisibleMenu(HWND window, LPARAM found) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32768" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

ModalVisit::ModalVisit(Visit visit, DWORD timeoutMs, UINT periodMs)
    : visit_(std::move(visit)), deadline_(GetTickCount() + timeoutMs) {
    timer_ = SetTimer(nullptr, 0, periodMs, &ModalVisit::OnTimer);
    if (timer_) Visits()[timer_] = this;
}

ModalVisit::~ModalVisit() {
    if (!timer_) return;
    KillTimer(nullptr, timer_);
    Visits().erase(timer_);
}

void CALLBACK ModalVisit::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = Visits().find(id);
    if (found == Visits().end()) return;
    try {
        found->second->Tick();
    } catch (...) {
    }
}

void ModalVisit::Tick() {
    // A visit that opens a message box pumps timers again: no re-entry.
    if (done_ || running_) return;
    running_ = true;
    overdue_ = overdue_ || static_cast<LONG>(GetTickCount() - deadline_) >= 0;
    done_ = visit_(overdue_) || overdue_;
    running_ = false;
}

HWND FindOwnedDialog(HWND owner, const wchar_t* caption) {
    DialogSearch search = {owner, caption ? caption : L"", nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &CheckDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring MessageText(HWND box) {
    std::wstring longest;
    EnumChildWindows(box, &TakeLongestText, reinterpret_cast<LPARAM>(&longest));
    return longest;
}

HWND ThreadMenuWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeVisibleMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}
