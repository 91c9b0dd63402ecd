#pragma once
// Helpers for the band's tests: the feed engine process, message boxes the
// band shows, child processes and the message queue.
#include <windows.h>
#include <string>
#include <thread>
#include <vector>
#include <atomic>
#include <functional>
#include <mutex>

#include "support/Patience.h"

// Closes every "RSS_Feed" window and waits (bounded) until none is left.
bool CloseEngines(DWORD timeoutMs = kPatienceMs);

// Polls for a top-level window of the class; null when none shows up in time.
HWND WaitForWindowClass(const char* className, DWORD timeoutMs);

// Handles the calling thread's messages for about the given time.
void PumpMessages(DWORD ms);

// Runs a command line and returns its exit code, or -1 when it could not be
// started or did not end in time (it is then terminated).
int RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000);

// The lines of a text file (CR/LF stripped); empty when it is missing.
std::vector<std::string> ReadLines(const std::wstring& path);

// A fresh empty folder under the temporary folder; removed by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Watches for message boxes of this process while alive, records their
// caption and text and answers each one, so that no test waits on a box.
class MessageBoxWatcher {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
    };

    // Each box is answered with the command `answer` (IDOK, IDYES, IDNO...);
    // beforeAnswer, when given, runs on the watching thread while the box is
    // still up.
    explicit MessageBoxWatcher(int answer = IDOK, std::function<void()> beforeAnswer = nullptr);
    ~MessageBoxWatcher();
    std::vector<Box> Boxes();
    // Waits up to timeoutMs for at least `count` boxes.
    bool WaitFor(size_t count, DWORD timeoutMs = kPatienceMs);

private:
    void Watch();

    int answer_;
    std::function<void()> beforeAnswer_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<Box> boxes_;
    std::thread thread_;
};
