#pragma once
// Stand-in feed engine: owns the "RSS_Feed" window, keeps a small fixed tree
// of folders and channels, describes it to every tree pane that attaches and
// records the requests it receives.
#include <windows.h>
#include <string>
#include <vector>

#include "engine/RequestLog.h"

class FeedEngine {
public:
    struct Node {
        DWORD id;
        DWORD parent;  // 0: top level
        bool folder;
        std::wstring text;
        std::wstring page;  // empty for folders
    };

    FeedEngine();

    // Creates the window; false when that fails.
    bool Start(HINSTANCE instance);
    // Until the window is closed.
    void Run();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void DescribeTree(HWND pane) const;
    void AnswerUnread(HWND pane, DWORD node) const;
    std::vector<BYTE> TextBatch() const;

    std::vector<Node> nodes_;
    RequestLog log_;
    HWND window_ = nullptr;
};
