#pragma once
// The band's side of the link to the feed engine, a separate process that
// owns the "RSS_Feed" window and is started with RUNDLL32 from "Feed.dll"
// beside the module. One link per tree pane.
#include <windows.h>
#include <commctrl.h>
#include <string>

class EngineLink {
public:
    virtual ~EngineLink() = default;

    // Finds the engine window or starts the engine lying beside modulePath
    // (the module's own file when empty); tells the user when neither works.
    // Stores and returns the window, null when there is none.
    HWND FindOrStart(const std::string& modulePath = std::string());

    HWND Window() const { return engine_; }

    // Requests go nowhere while no engine is known.
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Posts with the node id of a tree item (0 for no item) as wParam.
    void PostForItem(UINT message, HWND tree, HTREEITEM item, LPARAM lParam) const;

    // Hands text dropped on the tree to the engine, for the node under the
    // drop point (0 when none). Blocks until the engine has taken it.
    void SendDroppedText(HWND pane, DWORD node, const char* text) const;

protected:
    // The waits while a started engine comes up: for its process to become
    // idle, and before each further look for its window.
    virtual void WaitForIdle(HANDLE process, DWORD ms) { WaitForInputIdle(process, ms); }
    virtual void Pause(DWORD ms) { Sleep(ms); }

private:
    void RunEngine(const std::string& enginePath);

    HWND engine_ = nullptr;
};

// "RUNDLL32 <engine path>,EntryPoint", the path quoted when it holds a blank
// (a long path, on a volume without 8.3 names).
std::string EngineCommandLine(const std::string& enginePath);

// The engine's node id kept as a tree item's data; 0 for no item.
DWORD NodeOfItem(HWND tree, HTREEITEM item);
