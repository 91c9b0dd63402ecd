#include "engine/UpdateWorker.h"

#include <utility>

namespace {
// Each fetch is bounded by the updater; this only covers a job in flight.
const DWORD kStopWaitMs = 3000;
}  // namespace

UpdateWorker::UpdateWorker(HWND window, const std::wstring& dataFolder)
    : window_(window),
      updater_(dataFolder),
      wake_(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr)),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

UpdateWorker::~UpdateWorker() {
    if (stop_) SetEvent(stop_.Get());
    std::vector<HANDLE> threads;
    for (const KernelHandle& thread : threads_) threads.push_back(thread.Get());
    if (!threads.empty()) {
        WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE,
                               kStopWaitMs);
    }
    for (HANDLE thread : threads) {
        if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) TerminateThread(thread, 1);
    }
}

bool UpdateWorker::Start(int threads) {
    if (!wake_ || !stop_) return false;
    for (int i = 0; i < threads; ++i) {
        KernelHandle thread(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
        if (thread) threads_.push_back(std::move(thread));
    }
    return !threads_.empty();
}

bool UpdateWorker::Updating(const std::wstring& page) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_.count(page)) return true;
    for (const ChannelJob& job : waiting_) {
        if (job.page == page && job.kind == ChannelJob::kUpdate) return true;
    }
    return false;
}

bool UpdateWorker::Queue(const ChannelJob& job) {
    if (job.kind == ChannelJob::kUpdate && Updating(job.page)) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(job);
    }
    ReleaseSemaphore(wake_.Get(), 1, nullptr);
    return true;
}

std::vector<FinishedJob> UpdateWorker::TakeDone() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<FinishedJob> done;
    done.swap(done_);
    return done;
}

DWORD WINAPI UpdateWorker::ThreadMain(LPVOID self) {
    try {
        static_cast<UpdateWorker*>(self)->Serve();
    } catch (...) {
    }
    return 0;
}

void UpdateWorker::Serve() {
    HANDLE handles[] = {stop_.Get(), wake_.Get()};
    while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        ChannelJob job;
        // A job whose page is busy waits for the thread running it, which
        // wakes another thread when it is done.
        if (!NextJob(job)) continue;
        FinishedJob done = Run(job);
        Finish(done);
    }
}

bool UpdateWorker::NextJob(ChannelJob& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        if (running_.count(it->page)) continue;
        job = *it;
        waiting_.erase(it);
        running_.insert(job.page);
        return true;
    }
    return false;
}

FinishedJob UpdateWorker::Run(const ChannelJob& job) {
    FinishedJob done;
    done.job = job;
    try {
        switch (job.kind) {
            case ChannelJob::kUpdate: {
                HWND window = window_;
                DWORD node = job.node;
                done.result = updater_.Update(job.address, job.page, [window, node](int progress) {
                    PostMessageW(window, WM_ENGINE_JOB_PROGRESS, node, progress);
                });
                done.ok = done.result.ok;
                done.hasUnread = done.result.hasUnread;
                break;
            }
            case ChannelJob::kWritePages:
                done.ok = updater_.WritePages(job.page);
                done.hasUnread = updater_.HasUnread(job.page);
                break;
            case ChannelJob::kMarkRead:
                updater_.MarkAllRead(job.page);
                done.ok = true;
                break;
            case ChannelJob::kForget:
                updater_.Forget(job.page);
                done.ok = true;
                break;
        }
    } catch (...) {
        done.ok = false;
    }
    return done;
}

void UpdateWorker::Finish(const FinishedJob& done) {
    bool othersWaiting = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_.erase(done.job.page);
        done_.push_back(done);
        for (const ChannelJob& job : waiting_)
            othersWaiting = othersWaiting || job.page == done.job.page;
    }
    if (othersWaiting) ReleaseSemaphore(wake_.Get(), 1, nullptr);
    PostMessageW(window_, WM_ENGINE_JOB_DONE, 0, 0);
}
