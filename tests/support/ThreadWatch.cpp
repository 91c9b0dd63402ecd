#include "support/ThreadWatch.h"

#include <tlhelp32.h>

namespace {

std::set<DWORD> ThreadsOfThisProcess() {
    std::set<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return threads;
}

}  // namespace

ThreadWatch::ThreadWatch() : known_(ThreadsOfThisProcess()) {}

ThreadWatch::~ThreadWatch() {
    for (HANDLE thread : held_) CloseHandle(thread);
}

void ThreadWatch::HoldNewThreads() {
    for (DWORD id : ThreadsOfThisProcess()) {
        if (!known_.insert(id).second) continue;
        if (HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION | SYNCHRONIZE, FALSE, id))
            held_.push_back(thread);
    }
}

int ThreadWatch::Terminated() const {
    int terminated = 0;
    for (HANDLE thread : held_) {
        DWORD code = STILL_ACTIVE;
        if (GetExitCodeThread(thread, &code) && code == 0xFFFFFFFF) ++terminated;
    }
    return terminated;
}
