// Times how the band's tree pane keeps up with an engine that describes a
// large tree: folders of 50 channels, inserts and texts with page names in
// batches of 500 records, sent by the tests' build of the engine from its own
// process to a real pane on this thread. For each node count it prints the
// median of several runs: until the pane shows every node (the last one has
// its text and its place on screen, and the tree has painted), the engine's
// share alone (the same script with no pane to send to), and a new pane on
// the engine's tree of that size.
//   tree_benchmark [count...] [--runs n]     default: 1000 10000, 5 runs
// Exits with 1 when the pane did not end up with the engine's tree, or the
// engine could not be started; the figures themselves decide nothing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "browser/WebBrowserStandin.h"
#include "server/EngineLink.h"
#include "testengine/EngineControl.h"
#include "ui/BandSplitterWindow.h"

namespace {

const int kWidth = 240;
const int kHeight = 420;
const DWORD kFillDeadlineMs = 300000;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

// rssband.dll with the tests' engine beside it, in this build tree.
std::string BandModulePath() {
    std::wstring band = ProgramFolder() + L"..\\..\\band\\rssband.dll";
    return std::string(band.begin(), band.end());
}

double Milliseconds(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[64] = L"";
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = 64;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

HTREEITEM LastRoot(HWND tree) {
    HTREEITEM last = nullptr;
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
        last = item;
    return last;
}

std::string GenerateScript(UINT count) {
    return "generate\t" + std::to_string(count) + "\t500";
}

// Every node is in the tree, the engine's last node named (it is the last
// folder's last channel, though not always its last row once sorted), and
// that folder's last row laid out (a tree that holds its redraw back has not
// placed it yet).
bool ShowsAll(HWND tree, UINT count) {
    if (TreeView_GetCount(tree) < count) return false;
    HTREEITEM folder = LastRoot(tree);
    std::wstring expected = L"频道 " + std::to_wstring(count);
    bool named = false;
    HTREEITEM lastRow = nullptr;
    for (HTREEITEM child = folder ? TreeView_GetChild(tree, folder) : nullptr; child;
         child = TreeView_GetNextSibling(tree, child)) {
        named = named || ItemText(tree, child) == expected;
        lastRow = child;
    }
    RECT place;
    return named && TreeView_GetItemRect(tree, lastRow, &place, TRUE);
}

HWND EngineWindow() {
    return FindWindowA("RSS_Feed", nullptr);
}

// Until the pane shows the engine's `count` nodes, from start; -1 when it
// did not within the deadline.
double ShowTime(HWND tree, UINT count, const LARGE_INTEGER& start) {
    // An engine that went away sends nothing more.
    while (!ShowsAll(tree, count) && Milliseconds(start) < kFillDeadlineMs && EngineWindow()) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    UpdateWindow(tree);
    double ms = Milliseconds(start);
    return TreeView_GetCount(tree) == count && ShowsAll(tree, count) ? ms : -1;
}

// One run: a new pane on an empty tree, then the engine's tree of `count`
// nodes, sent in batches as it grows. -1 when the pane did not get it.
double FillTime(HWND host, UINT count) {
    if (SendEngineScript("reset") != 1) return -1;
    WebBrowserStandin* browser = WebBrowserStandin::Create();
    double ms = -1;
    {
        BandSplitterWindow frame(browser);
        RECT rect = {0, 0, kWidth, kHeight};
        frame.Create(host, rect, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        Pump();
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        if (SendEngineScript(GenerateScript(count)) == 1)
            ms = ShowTime(frame.Pane().TreeWindow(), count, start);
        frame.Destroy();
    }
    browser->Release();
    return ms;
}

// One run: a new pane on the engine's tree of `count` nodes, which the
// engine describes to it as it attaches.
double AttachTime(HWND host, UINT count) {
    WebBrowserStandin* browser = WebBrowserStandin::Create();
    double ms = -1;
    {
        BandSplitterWindow frame(browser);
        RECT rect = {0, 0, kWidth, kHeight};
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        frame.Create(host, rect, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        ms = ShowTime(frame.Pane().TreeWindow(), count, start);
        frame.Destroy();
    }
    browser->Release();
    return ms;
}

double EngineOnlyTime(UINT count) {
    if (SendEngineScript("reset") != 1) return -1;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (SendEngineScript(GenerateScript(count)) != 1) return -1;
    return Milliseconds(start);
}

// -1 when any run failed.
double Median(std::vector<double> runs) {
    if (runs.empty() || *std::min_element(runs.begin(), runs.end()) < 0) return -1;
    std::sort(runs.begin(), runs.end());
    size_t middle = runs.size() / 2;
    return runs.size() % 2 ? runs[middle] : (runs[middle - 1] + runs[middle]) / 2;
}

HWND CreateHost() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TreeBenchmarkHost";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"TreeBenchmarkHost", L"", WS_POPUP | WS_VISIBLE, 100, 100, kWidth,
                           kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A throwaway folder for the engine's subscriptions and pages.
std::wstring UseScratchFolder() {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    wchar_t folder[MAX_PATH];
    wsprintfW(folder, L"%stree_benchmark_%lu", temp, GetCurrentProcessId());
    CreateDirectoryW(folder, nullptr);
    SetEnvironmentVariableW(L"FEED_ENGINE_DATA", folder);
    SetEnvironmentVariableW(L"TMP", folder);
    SetEnvironmentVariableW(L"TEMP", folder);
    return folder;
}

void RemoveScratchFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + L"\\" + entry.cFileName).c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// Waits up to ms for the engine window to be there (or gone).
bool WaitForEngine(bool there, DWORD ms) {
    for (DWORD start = GetTickCount(); (EngineWindow() != nullptr) != there; Sleep(50)) {
        if (GetTickCount() - start >= ms) return false;
    }
    return true;
}

// A band gives a starting engine under a second before it tells the user
// the service is unavailable, in a box nobody here would answer: on a busy
// machine the benchmark waits for the engine as long as it waits for a fill.
class PatientEngineLink : public EngineLink {
protected:
    void WaitForIdle(HANDLE, DWORD) override { WaitForEngine(true, kFillDeadlineMs); }
    void Pause(DWORD) override {}
};

// Closes the engine and waits, bounded, until its window is gone.
void CloseEngine() {
    if (HWND engine = EngineWindow()) PostMessageA(engine, WM_CLOSE, 0, 0);
    WaitForEngine(false, 10000);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<UINT> counts;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else {
            counts.push_back(static_cast<UINT>(std::strtoul(arg.c_str(), nullptr, 10)));
        }
    }
    if (counts.empty()) counts = {1000, 10000};
    if (runs < 1) runs = 1;

    // Each figure shows as it is measured, also through a pipe.
    setvbuf(stdout, nullptr, _IONBF, 0);
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    std::wstring scratch = UseScratchFolder();
    if (EngineWindow() || !PatientEngineLink().FindOrStart(BandModulePath())) {
        std::printf("tree_benchmark: needs the tests' engine, and no other, running\n");
        RemoveScratchFolder(scratch);
        return 1;
    }
    HWND host = CreateHost();

    int status = 0;
    std::vector<double> fillMedians, attachMedians;
    for (UINT count : counts) {
        std::vector<double> fills, engine, attaches;
        for (int run = 0; run < runs; ++run) {
            fills.push_back(FillTime(host, count));
            engine.push_back(EngineOnlyTime(count));
            attaches.push_back(AttachTime(host, count));
        }
        fillMedians.push_back(Median(fills));
        attachMedians.push_back(Median(attaches));
        std::printf(
            "%6u nodes: pane shows them in %8.1f ms, engine alone %8.1f ms, a new pane on "
            "them %8.1f ms (medians of %d; fastest fill %.1f ms)\n",
            count, fillMedians.back(), Median(engine), attachMedians.back(), runs,
            *std::min_element(fills.begin(), fills.end()));
        if (fillMedians.back() < 0 || attachMedians.back() < 0) status = 1;
    }
    for (size_t i = 1; i < counts.size(); ++i) {
        if (fillMedians[0] > 0 && fillMedians[i] > 0 && attachMedians[0] > 0) {
            std::printf("%u nodes take %.2f times as long as %u (a new pane: %.2f times)\n",
                        counts[i], fillMedians[i] / fillMedians[0], counts[0],
                        attachMedians[i] / attachMedians[0]);
        }
    }
    CloseEngine();
    RemoveScratchFolder(scratch);
    DestroyWindow(host);
    CoUninitialize();
    return status;
}
