#include "support/BandTestSupport.h"

#include <fstream>

bool CloseEngines(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND engine = FindWindowA("RSS_Feed", nullptr);
        if (!engine) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        PostMessageA(engine, WM_CLOSE, 0, 0);
        PumpMessages(50);
    }
}

HWND WaitForWindowClass(const char* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, nullptr);
        if (window || GetTickCount() - start > timeoutMs) return window;
        PumpMessages(20);
    }
}

namespace {

BOOL CALLBACK TakeVisibleMenu(HWND window, LPARAM found) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32768") || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

HWND OwnMenuWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeVisibleMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

void PumpMessages(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !done(); PumpMessages(10)) {
        if (GetTickCount() - start >= timeoutMs) return done();
    }
    return true;
}

int RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        content.append(buffer, read);
    }
    CloseHandle(file);
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t name[MAX_PATH];
    wsprintfW(name, L"%sbandtest_%lu_%lu", temp, GetCurrentProcessId(), GetTickCount());
    path_ = name;
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW(File(entry.cFileName).c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path_.c_str());
}

MessageBoxWatcher::MessageBoxWatcher(int answer, std::function<void()> beforeAnswer)
    : answer_(answer), beforeAnswer_(std::move(beforeAnswer)), thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<MessageBoxWatcher::Box> MessageBoxWatcher::Boxes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

bool MessageBoxWatcher::WaitFor(size_t count, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (Boxes().size() >= count) return true;
        Sleep(20);
    }
    return Boxes().size() >= count;
}

namespace {

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (process == search->process && lstrcmpA(className, "#32770") == 0 &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void MessageBoxWatcher::Watch() {
    while (!stop_) {
        Search search = {GetCurrentProcessId(), nullptr};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            Box box;
            wchar_t text[512] = L"";
            GetWindowTextW(search.found, text, 512);
            box.caption = text;
            text[0] = 0;
            // The message text is the static control 0xFFFF of the box.
            GetDlgItemTextW(search.found, 0xFFFF, text, 512);
            box.text = text;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(box);
            }
            if (beforeAnswer_) beforeAnswer_();
            PostMessageW(search.found, WM_COMMAND, answer_, 0);
            // Let the box go before looking again, or it would count twice.
            for (DWORD start = GetTickCount();
                 IsWindow(search.found) && !stop_ && GetTickCount() - start < kPatienceMs;)
                Sleep(20);
        }
        Sleep(20);
    }
}
