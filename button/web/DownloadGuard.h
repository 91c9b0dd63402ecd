#pragma once
#include <windows.h>

// What every download obeys: a size cap, so that a broken or hostile server
// cannot fill memory or disk, and a cancel flag that another thread may raise
// to stop a running download at its next chunk or progress notification.

constexpr ULONGLONG kMaxDownloadBytes = 32ull * 1024 * 1024;

// Error codes of a download stopped by the guard.
constexpr DWORD kDownloadTooLarge = ERROR_FILE_TOO_LARGE;
constexpr DWORD kDownloadCancelled = ERROR_CANCELLED;

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

    bool Cancelled() const { return cancel && cancel->IsCancelled(); }
};
