#pragma once
#include <windows.h>

#include <functional>

#include "core/WorkerThread.h"
#include "web/DownloadGuard.h"

// A thread of a dialog. It runs one step of the dialog (loading a feed, the
// add step) with a download guard whose cancel flag Stop raises first, so
// that a download ends by itself within the wait in most cases and the
// thread is terminated only when the server keeps it waiting.
class DialogWorker : public WorkerThread {
public:
    // How long a stopped worker gets to end after its download was cancelled.
    static constexpr DWORD kStopWait = 1000;

    explicit DialogWorker(std::function<int(const DownloadGuard&)> body);
    ~DialogWorker() override;

    // Starts the body with a fresh cancel flag; false when a thread is held.
    bool Begin();
    // Cancels, waits up to kStopWait, then terminates; releases the thread.
    void End();
    // Raises the cancel flag without waiting: the thread runs on to its end,
    // and the dialog ignores what it reports.
    void Abandon() { cancel_.Cancel(); }

protected:
    int Run() override;
    void OnStopRequested() override { cancel_.Cancel(); }

private:
    std::function<int(const DownloadGuard&)> body_;
    DownloadCancel cancel_;
};
