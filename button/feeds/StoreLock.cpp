#include "feeds/StoreLock.h"

namespace {
const wchar_t kStoreMutexName[] = L"RssStore{9a154496-3f57-467f-b728-588d2bd694d8}";

// Longer than any store operation takes, short enough that a process hung
// while holding the lock does not freeze every browser of the user: after
// the wait the operation goes ahead unguarded, as it did before the lock.
constexpr DWORD kWaitMs = 10000;
}  // namespace

StoreLock::StoreLock() {
    if (!StoreLockEnabled()) return;
    mutex_ = CreateMutexW(nullptr, FALSE, kStoreMutexName);
    if (!mutex_) return;
    DWORD result = WaitForSingleObject(mutex_, kWaitMs);
    // An owner that died mid-operation left the files as they are; the next
    // operation works on them as they stand.
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

StoreLock::~StoreLock() {
    if (held_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}
