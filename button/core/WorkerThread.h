#pragma once
#include <windows.h>

// Base of an object that runs one worker thread at a time. The thread
// handle is guarded so that Start and Stop may come from different threads;
// only the caller that takes the handle waits on it and closes it.
class WorkerThread {
public:
    WorkerThread();
    // Terminates a thread that is still running: a derived class must stop
    // its worker in its own destructor, while Run's object is still whole.
    virtual ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // 1 when a thread was created; 0 when one is held (running or ended but
    // not yet stopped) or creation failed.
    int Start();
    // Waits up to timeout ms, then terminates the thread with exit code
    // 0xFFFFFFFF; releases the handle. result receives Run's value, or -1
    // when the thread had to be terminated.
    void Stop(DWORD timeout, int* result = nullptr);
    // True while a thread is held and has not ended.
    bool IsRunning();

protected:
    virtual int Run() = 0;
    // Called by Stop before it waits: lets a worker that checks for
    // cancellation end on its own within the timeout.
    virtual void OnStopRequested() {}

private:
    static DWORD WINAPI ThreadMain(void* self);

    CRITICAL_SECTION lock_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    volatile LONG result_ = 0;
};
