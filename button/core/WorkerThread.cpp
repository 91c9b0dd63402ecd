#include "core/WorkerThread.h"

namespace {
constexpr DWORD kTerminationWait = 1000;
}  // namespace

WorkerThread::WorkerThread() {
    InitializeCriticalSection(&lock_);
}

WorkerThread::~WorkerThread() {
    Stop(0);
    DeleteCriticalSection(&lock_);
}

DWORD WINAPI WorkerThread::ThreadMain(void* self) {
    auto* worker = static_cast<WorkerThread*>(self);
    LONG result = -1;
    // Nothing may unwind out of a thread function.
    try {
        result = worker->Run();
    } catch (...) {
        result = -1;
    }
    InterlockedExchange(&worker->result_, result);
    return static_cast<DWORD>(result);
}

int WorkerThread::Start() {
    EnterCriticalSection(&lock_);
    int started = 0;
    if (!thread_) {
        InterlockedExchange(&result_, 0);
        DWORD id = 0;
        thread_ = CreateThread(nullptr, 0, &WorkerThread::ThreadMain, this, 0, &id);
        threadId_ = thread_ ? id : 0;
        started = thread_ ? 1 : 0;
    }
    LeaveCriticalSection(&lock_);
    return started;
}

void WorkerThread::Stop(DWORD timeout, int* result) {
    EnterCriticalSection(&lock_);
    HANDLE thread = thread_;
    DWORD threadId = threadId_;
    thread_ = nullptr;
    threadId_ = 0;
    LeaveCriticalSection(&lock_);
    if (!thread) return;

    // The worker releasing its own handle must not wait for or end itself.
    if (threadId != GetCurrentThreadId()) {
        OnStopRequested();
        if (WaitForSingleObject(thread, timeout) != WAIT_OBJECT_0) {
            TerminateThread(thread, 0xFFFFFFFF);
            // Termination is asynchronous; the bound only guards against a
            // thread that cannot be ended at all.
            WaitForSingleObject(thread, kTerminationWait);
            InterlockedExchange(&result_, -1);
        }
    }
    CloseHandle(thread);
    if (result) *result = result_;
}

bool WorkerThread::IsRunning() {
    EnterCriticalSection(&lock_);
    bool running = thread_ && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT;
    LeaveCriticalSection(&lock_);
    return running;
}
