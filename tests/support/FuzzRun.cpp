#include "support/FuzzRun.h"

// After windows.h.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

HangWatch::HangWatch(const char* target, DWORD limitMs) : target_(target), limitMs_(limitMs) {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

HangWatch::~HangWatch() {
    InterlockedExchange(&done_, 1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
}

void HangWatch::Start(int variant) {
    InterlockedExchange(&variant_, variant);
    InterlockedExchange(&started_, static_cast<LONG>(GetTickCount()));
    InterlockedExchange(&active_, 1);
}

void HangWatch::Stop() {
    InterlockedExchange(&active_, 0);
}

DWORD WINAPI HangWatch::Watch(void* self) {
    auto* watch = static_cast<HangWatch*>(self);
    while (!watch->done_) {
        Sleep(100);
        if (!watch->active_) continue;
        // Read before the clock, so that a variant started meanwhile never
        // looks older than it is.
        DWORD started = static_cast<DWORD>(watch->started_);
        if (watch->active_ && GetTickCount() - started > watch->limitMs_) {
            printf("target: %s hangs on variant %ld\n", watch->target_, watch->variant_);
            fflush(stdout);
            ExitProcess(3);
        }
    }
    return 0;
}

using MemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);

SIZE_T PeakMemory() {
    static HMODULE psapi = LoadLibraryW(L"psapi.dll");
    auto query = psapi ? reinterpret_cast<MemoryInfoFunction>(
                             reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")))
                       : nullptr;
    PROCESS_MEMORY_COUNTERS counters = {sizeof counters};
    if (!query || !query(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakPagefileUsage;
}

std::set<std::wstring> FolderFiles(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

int FuzzRounds(int full) {
    wchar_t value[16] = L"";
    if (!GetEnvironmentVariableW(L"FEED_FUZZ_SHARE", value, 16)) return full;
    int share = _wtoi(value);
    return share > 1 ? (full / share > 0 ? full / share : 1) : full;
}

void ReportFuzzTarget(const char* name, int tried, int failed, const std::string& details) {
    printf("target: %s %d tried, %d failed (%s)\n", name, tried, failed, details.c_str());
    fflush(stdout);
}
