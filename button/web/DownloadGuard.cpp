#include "web/DownloadGuard.h"

namespace {
volatile LONG gTimeLimitMs = kMaxDownloadMs;
}  // namespace

DWORD DefaultDownloadTimeLimit() {
    return static_cast<DWORD>(InterlockedCompareExchange(&gTimeLimitMs, 0, 0));
}

void SetDefaultDownloadTimeLimit(DWORD ms) {
    InterlockedExchange(&gTimeLimitMs, static_cast<LONG>(ms));
}
