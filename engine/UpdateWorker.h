#pragma once
// Runs the channels' fetches and page writes off the engine window's thread.
// Jobs wait in a queue served by a few worker threads; no two jobs of one
// page run at the same time, and an update already waiting or running for a
// page is not queued twice. Progress and completion are posted back to the
// engine window, which takes the finished jobs and tells the panes.
#include <windows.h>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/KernelHandle.h"
#include "engine/ChannelUpdater.h"

// Posted to the engine window: wParam node, lParam progress 0..10.
const UINT WM_ENGINE_JOB_PROGRESS = WM_APP + 1;
// Posted to the engine window: finished jobs wait in TakeDone().
const UINT WM_ENGINE_JOB_DONE = WM_APP + 2;

struct ChannelJob {
    enum Kind { kUpdate, kWritePages, kMarkRead, kForget };
    Kind kind = kUpdate;
    DWORD node = 0;
    std::wstring address;
    std::wstring page;
};

struct FinishedJob {
    ChannelJob job;
    ChannelUpdateResult result;  // of an update
    bool ok = false;             // the update succeeded or the pages were written
    bool hasUnread = false;
};

class UpdateWorker {
public:
    UpdateWorker(HWND window, const std::wstring& dataFolder);
    // Waits briefly for running jobs, then ends the threads.
    ~UpdateWorker();
    UpdateWorker(const UpdateWorker&) = delete;
    UpdateWorker& operator=(const UpdateWorker&) = delete;

    // For the engine thread before Start only: no job runs yet.
    ChannelUpdater& Updater() { return updater_; }
    bool Start(int threads);

    // False when an update of the page is already waiting or running.
    bool Queue(const ChannelJob& job);
    bool Updating(const std::wstring& page);
    std::vector<FinishedJob> TakeDone();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Serve();
    bool NextJob(ChannelJob& job);
    FinishedJob Run(const ChannelJob& job);
    void Finish(const FinishedJob& done);

    HWND window_;
    ChannelUpdater updater_;
    std::mutex mutex_;
    std::deque<ChannelJob> waiting_;
    std::set<std::wstring> running_;
    std::vector<FinishedJob> done_;
    KernelHandle wake_;  // semaphore: one count per queued job
    KernelHandle stop_;  // manual-reset event
    std::vector<KernelHandle> threads_;
};
