#pragma once
#include <windows.h>

#include <set>
#include <vector>

// The threads this process starts while the watch is alive, held so that how
// they ended can be read afterwards. The product's workers end by themselves
// with 0 or 1; one it had to terminate ends with 0xFFFFFFFF. This tells a
// worker that was cancelled in time from one that was cut off, whatever the
// clock says.
class ThreadWatch {
public:
    ThreadWatch();
    ~ThreadWatch();
    ThreadWatch(const ThreadWatch&) = delete;
    ThreadWatch& operator=(const ThreadWatch&) = delete;

    // Takes hold of the threads started since the watch began that it does
    // not hold yet; call it while the thread of interest runs.
    void HoldNewThreads();
    int Held() const { return static_cast<int>(held_.size()); }
    // Held threads that were terminated.
    int Terminated() const;

private:
    std::set<DWORD> known_;
    std::vector<HANDLE> held_;
};
