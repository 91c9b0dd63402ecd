#pragma once
#include <windows.h>

#include "core/WorkerThread.h"
#include "web/DownloadGuard.h"

// The button's background refresh: one worker thread at a time, and one
// refresh in the whole log-on session, held by a named mutex. While it runs
// the shared refresh flag is set and the toolbar window hears when it starts
// and ends.
class RefreshWorker : public WorkerThread {
public:
    // kRefreshImported: the imported subscriptions still without a cache.
    enum Mode { kRefreshOne = 1, kRefreshAll = 2, kRefreshStale = 3, kRefreshImported = 4 };

    RefreshWorker() = default;
    ~RefreshWorker() override { Shutdown(); }

    // Starts the worker on rssIni unless a refresh runs anywhere in the
    // session; number is the subscription of kRefreshOne (0 keeps the last
    // one). The worker's notices go to toolbar with commandId. 1 when started.
    int StartRefresh(int mode, int number, const wchar_t* rssIni, HWND toolbar, WORD commandId);
    // Stops the worker (a short wait, then termination) and lets go of the
    // mutex and the shared flag that a terminated worker could not release.
    void Shutdown();

protected:
    int Run() override;
    // The worker leaves between subscriptions and its running download is
    // aborted.
    void OnStopRequested() override;

private:
    void ReleaseRefreshMutex();

    // What the worker uses, fixed when it starts.
    int mode_ = 0;
    int number_ = 0;
    wchar_t rssIni_[MAX_PATH] = {};
    HWND toolbar_ = nullptr;
    WORD commandId_ = 0;
    // Taken by whichever thread closes it first: the worker at its end or
    // Shutdown after a terminated worker.
    HANDLE volatile mutex_ = nullptr;
    // Set while the worker holds the shared refresh flag at 1.
    volatile LONG flagHeld_ = 0;
    DownloadCancel stop_;
};
