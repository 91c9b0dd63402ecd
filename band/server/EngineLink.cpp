#include "server/EngineLink.h"

#include <shlwapi.h>
#include <vector>

#include "common/KernelHandle.h"
#include "server/EngineProtocol.h"
#include "server/Module.h"
#include "server/UpdateBatch.h"

namespace {

// The engine needs up to 500 ms to become idle, then gets three more looks.
const DWORD kInputIdleWait = 500;
const int kWindowRetries = 3;
const DWORD kRetryPause = 100;
const int kCommandLineSize = 1024;

void ShowEngineError(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"错误", MB_ICONERROR);
}

HWND FindEngineWindow() {
    return FindWindowA(kEngineWindowClass, nullptr);
}

// "Feed.dll" in the folder of modulePath.
std::string EnginePath(const std::string& modulePath) {
    char path[MAX_PATH];
    lstrcpynA(path, modulePath.c_str(), MAX_PATH);
    PathRemoveFileSpecA(path);
    PathAddBackslashA(path);
    std::string result = path;
    return result + kEngineFileName;
}

}  // namespace

std::string EngineCommandLine(const std::string& enginePath) {
    // RUNDLL32 splits its command line at blanks outside quotes.
    bool blank = enginePath.find(' ') != std::string::npos;
    std::string path = blank ? "\"" + enginePath + "\"" : enginePath;
    return "RUNDLL32 " + path + ",EntryPoint";
}

void EngineLink::RunEngine(const std::string& enginePath) {
    // A volume without 8.3 names gives back the long path, or nothing.
    char shortPath[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(enginePath.c_str(), shortPath, MAX_PATH);
    bool hasShort = length > 0 && length < MAX_PATH;
    std::string line = EngineCommandLine(hasShort ? shortPath : enginePath);
    char commandLine[kCommandLineSize];
    lstrcpynA(commandLine, line.c_str(), sizeof commandLine);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        KernelHandle engine(process.hProcess), thread(process.hThread);
        WaitForIdle(engine.Get(), kInputIdleWait);
    }
}

HWND EngineLink::FindOrStart(const std::string& modulePath) {
    engine_ = FindEngineWindow();
    if (engine_) return engine_;

    std::string enginePath = EnginePath(modulePath.empty() ? Module::FileName() : modulePath);
    if (!PathFileExistsA(enginePath.c_str())) {
        ShowEngineError(L"运行文件损坏或丢失, 新闻阅读服务不可用");
        return nullptr;
    }
    RunEngine(enginePath);
    engine_ = FindEngineWindow();
    for (int retry = 0; !engine_ && retry < kWindowRetries; ++retry) {
        Pause(kRetryPause);
        engine_ = FindEngineWindow();
    }
    if (!engine_) ShowEngineError(L"新闻阅读服务不可用");
    return engine_;
}

void EngineLink::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    // Posting to a null window would land in our own thread's queue.
    if (engine_) PostMessageA(engine_, message, wParam, lParam);
}

void EngineLink::PostForItem(UINT message, HWND tree, HTREEITEM item, LPARAM lParam) const {
    Post(message, NodeOfItem(tree, item), lParam);
}

void EngineLink::SendDroppedText(HWND pane, DWORD node, const char* text) const {
    if (!engine_ || !text) return;
    std::vector<BYTE> record = DroppedTextRecord(text);
    COPYDATASTRUCT data = {};
    data.dwData = node;
    data.cbData = static_cast<DWORD>(record.size());
    data.lpData = record.data();
    SendMessageA(engine_, WM_COPYDATA, reinterpret_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(&data));
}

DWORD NodeOfItem(HWND tree, HTREEITEM item) {
    if (!tree || !item) return 0;
    TVITEMA query = {};
    query.mask = TVIF_HANDLE | TVIF_PARAM;
    query.hItem = item;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return 0;
    return static_cast<DWORD>(query.lParam);
}
