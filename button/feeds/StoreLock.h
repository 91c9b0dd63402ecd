#pragma once
#include <windows.h>

// Holds the store's named mutex for one multi-step change of "rss.ini",
// "history.ini" or a feed cache, so that browser processes and their threads
// do not interleave such changes (an append racing a renumbering loses a
// subscription or hands it another feed's cache). Take it only around file
// work, never around a download. The mutex is recursive within a thread.
class StoreLock {
public:
    StoreLock();
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // False when the wait timed out and the operation runs unguarded.
    bool Held() const { return held_; }

private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

// Whether the store's operations take the lock: always in the product.
bool StoreLockEnabled();
