#pragma once
// Stand-in feed engine: owns the "RSS_Feed" window, keeps a tree of folders
// and channels, describes it to every tree pane that attaches, answers the
// band's requests the way an engine does (new folder, add, delete, move,
// update with progress and page files, read and unread) and records every
// request it receives. Tests steer it further with scripts (EngineControl.h).
#include <windows.h>
#include <string>
#include <vector>

#include "engine/BatchWriter.h"
#include "engine/FeedTreeModel.h"
#include "engine/RequestLog.h"

class FeedEngine {
public:
    FeedEngine();

    // Creates the window; false when that fails.
    bool Start(HINSTANCE instance);
    // Until the window is closed.
    void Run();

    FeedTreeModel& Model() { return model_; }

    // To every pane, through the relay windows the panes own.
    void SendToPanes(UINT message, WPARAM wParam, LPARAM lParam) const;
    void SendBatchToPanes(BatchWriter& batch) const;
    // The nodes, parents first: inserts, one text batch, folder expansions.
    void Describe(HWND target, const std::vector<DWORD>& nodes) const;
    void DescribeAll(HWND target) const;
    // Inserts and texts of the whole tree in batches of `records` records.
    void DescribeInBatches(size_t records) const;
    // Shows a node that is new to the panes.
    void Announce(DWORD node) const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(const COPYDATASTRUCT& data);
    void OnRequest(UINT message, WPARAM wParam, LPARAM lParam);

    void NewFolder(DWORD selected);
    void AddChannel(DWORD folder, const std::wstring& text);
    void Delete(DWORD node);
    void MoveNode(DWORD node, DWORD folder);
    void Update(DWORD node);
    void UpdateChannel(const FeedNode& channel) const;
    void Read(DWORD node);
    void AnswerUnread(HWND pane, DWORD node) const;

    FeedTreeModel model_;
    RequestLog log_;
    HWND window_ = nullptr;
};
