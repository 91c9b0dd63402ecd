#pragma once
#include <windows.h>

// What every download obeys: a size cap, so that a broken or hostile server
// cannot fill memory or disk, a time limit, so that a server that drips or
// stalls cannot hold a worker (and with it the session's refresh) for ever,
// and a cancel flag that another thread may raise to stop a running download
// at its next chunk or progress notification.

constexpr ULONGLONG kMaxDownloadBytes = 32ull * 1024 * 1024;
// Feeds are small: this is ample for one on a slow line.
constexpr DWORD kMaxDownloadMs = 30000;

// Error codes of a download stopped by the guard.
constexpr DWORD kDownloadTooLarge = ERROR_FILE_TOO_LARGE;
constexpr DWORD kDownloadCancelled = ERROR_CANCELLED;
constexpr DWORD kDownloadTimedOut = ERROR_TIMEOUT;

class DownloadCancel {
public:
    void Cancel() { InterlockedExchange(&cancelled_, 1); }
    void Reset() { InterlockedExchange(&cancelled_, 0); }
    bool IsCancelled() const { return InterlockedCompareExchange(&cancelled_, 0, 0) != 0; }

private:
    mutable volatile LONG cancelled_ = 0;
};

struct DownloadGuard {
    const DownloadCancel* cancel = nullptr;
    ULONGLONG maxBytes = kMaxDownloadBytes;
    DWORD timeLimitMs = kMaxDownloadMs;
    DWORD started = GetTickCount();  // when the time limit began to run

    bool Cancelled() const { return cancel && cancel->IsCancelled(); }
    bool Expired() const { return RemainingMs() == 0; }
    DWORD RemainingMs() const {
        DWORD spent = GetTickCount() - started;
        return spent < timeLimitMs ? timeLimitMs - spent : 0;
    }
    // The same guard with its time limit starting now.
    DownloadGuard Restarted() const {
        DownloadGuard fresh = *this;
        fresh.started = GetTickCount();
        return fresh;
    }
};
