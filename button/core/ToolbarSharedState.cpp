#include "core/ToolbarSharedState.h"

namespace {
// Lives from library load to unload, like the view it holds.
ToolbarSharedState g_sharedState;
}  // namespace

ToolbarSharedState::ToolbarSharedState() {
    InitializeCriticalSection(&lock_);
}

ToolbarSharedState::~ToolbarSharedState() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    DeleteCriticalSection(&lock_);
}

const volatile SharedUserBlock* ToolbarSharedState::View() {
    // The browser thread and a refresh worker may both make the first read.
    EnterCriticalSection(&lock_);
    if (!view_) {
        mapping_ = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kSharedUserBlockName);
        if (mapping_) {
            view_ = static_cast<SharedUserBlock*>(
                MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedUserBlock)));
            if (!view_) {
                CloseHandle(mapping_);
                mapping_ = nullptr;
            }
        }
    }
    const volatile SharedUserBlock* view = view_;
    LeaveCriticalSection(&lock_);
    return view;
}

DWORD ToolbarSharedState::UserNumber() {
    const volatile SharedUserBlock* view = View();
    return view ? view->userNumber : 0;
}

DWORD ToolbarSharedState::LoggedIn() {
    const volatile SharedUserBlock* view = View();
    return view ? view->loggedIn : 0;
}

DWORD ReadSharedUserNumber() {
    return g_sharedState.UserNumber();
}

DWORD ReadSharedLoggedIn() {
    return g_sharedState.LoggedIn();
}
