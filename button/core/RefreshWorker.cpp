#include "core/RefreshWorker.h"

#include "core/HostProtocol.h"
#include "core/RefreshFlag.h"
#include "feeds/SubscriptionRefresh.h"

namespace {

// The worker gets this long to end before it is terminated.
constexpr DWORD kRefreshStopWait = 50;
// A worker that has let go of its mutex only posts and clears the flag
// before it ends; a new refresh waits that long for it at most.
constexpr DWORD kEndedWorkerWait = 1000;

// Exists while a refresh runs anywhere in the log-on session.
const wchar_t kRefreshMutexName[] = L"RssUpdate{e1378540-34b0-44b5-8498-d4a24a97435}";

}  // namespace

int RefreshWorker::StartRefresh(int mode, int number, const wchar_t* rssIni, HWND toolbar,
                                WORD commandId) {
    if (mutex_) return 0;
    // The last worker has let go of its mutex: let it finish and take its
    // thread handle, so that Start can create the next one.
    Stop(kEndedWorkerWait);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kRefreshMutexName);
    if (!mutex) return 0;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return 0;
    }
    mode_ = mode;
    if (mode == kRefreshOne && number) number_ = number;
    lstrcpynW(rssIni_, rssIni, MAX_PATH);
    toolbar_ = toolbar;
    commandId_ = commandId;
    stop_.Reset();
    mutex_ = mutex;
    if (!Start()) {
        // A mutex without a worker would refuse every refresh of the session.
        ReleaseRefreshMutex();
        return 0;
    }
    return 1;
}

void RefreshWorker::Shutdown() {
    // Stop raises the stop flag first; a worker that does not end in time is
    // terminated and leaves its mutex and the shared flag to this thread.
    Stop(kRefreshStopWait);
    ReleaseRefreshMutex();
    if (InterlockedExchange(&flagHeld_, 0)) SetRefreshInProgress(false);
}

int RefreshWorker::Run() {
    InterlockedExchange(&flagHeld_, 1);
    SetRefreshInProgress(true);
    PostMessageW(toolbar_, kToolbarNotify, kNotifyRefreshStarted, commandId_);
    switch (mode_) {
        case kRefreshOne:
            RefreshSubscription(rssIni_, number_, &stop_);
            break;
        case kRefreshAll:
            RefreshAll(rssIni_, &stop_);
            break;
        case kRefreshStale:
            KillTimer(toolbar_, kTimerStaleRefresh);
            RefreshStale(rssIni_, &stop_);
            break;
        case kRefreshImported:
            RefreshImported(rssIni_, &stop_);
            break;
        default:
            break;
    }
    ReleaseRefreshMutex();
    PostMessageW(toolbar_, kToolbarNotify, kNotifyRefreshEnded, commandId_);
    if (InterlockedExchange(&flagHeld_, 0)) SetRefreshInProgress(false);
    return 0;
}

void RefreshWorker::OnStopRequested() {
    stop_.Cancel();
}

void RefreshWorker::ReleaseRefreshMutex() {
    auto mutex = static_cast<HANDLE>(
        InterlockedExchangePointer(const_cast<PVOID volatile*>(&mutex_), nullptr));
    if (mutex) CloseHandle(mutex);
}
