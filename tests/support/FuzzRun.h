#pragma once
// What the mutated-input suites share besides the Mutator: a watch that ends
// the process when one variant hangs, the process's peak memory, the files
// of a folder (to catch writes where none belong) and the one-line report.
#include <windows.h>

#include <set>
#include <string>

// Ends the process with code 3 when one variant outlives limitMs: a hang must
// fail the run, not stall it. Start each variant with Start, end with Stop.
class HangWatch {
public:
    HangWatch(const char* target, DWORD limitMs);
    ~HangWatch();
    HangWatch(const HangWatch&) = delete;
    HangWatch& operator=(const HangWatch&) = delete;

    void Start(int variant);
    void Stop();

private:
    static DWORD WINAPI Watch(void* self);

    const char* target_;
    DWORD limitMs_;
    HANDLE thread_ = nullptr;
    volatile LONG done_ = 0;
    volatile LONG active_ = 0;
    volatile LONG started_ = 0;
    volatile LONG variant_ = 0;
};

// Peak pagefile use of this process in bytes, 0 when unknown.
SIZE_T PeakMemory();

// Names of the plain files directly in folder.
std::set<std::wstring> FolderFiles(const std::wstring& folder);

// How many variants a target tries: full, or its share where the run asks
// for fewer (FEED_FUZZ_SHARE=N tries one in N: the 32-bit pass, whose
// programs run under an emulator). At least one.
int FuzzRounds(int full);

// "target: <name> <tried> tried, <failed> failed (<details>)".
void ReportFuzzTarget(const char* name, int tried, int failed, const std::string& details);
