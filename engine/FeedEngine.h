#pragma once
// The feed engine: owns the "RSS_Feed" window, keeps the user's folders and
// channels (saved after each change), describes them to every tree pane
// that attaches, answers the band's requests (new folder, add channel,
// properties, export and import, delete, move, expansion, update with
// progress, read and unread) and updates every channel on the band's
// interval. Fetches run on worker threads. A build for the tests adds to it
// through an EngineExtension.
#include <windows.h>
#include <memory>
#include <string>
#include <vector>

#include "engine/BatchWriter.h"
#include "engine/FeedTreeModel.h"
#include "engine/ModalDialog.h"
#include "engine/SubscriptionFile.h"
#include "engine/UpdateWorker.h"

class EngineExtension;

class FeedEngine {
public:
    // dataFolder holds the subscriptions and the channels' item state;
    // extension (may be null) outlives the engine.
    FeedEngine(std::wstring dataFolder, EngineExtension* extension);
    ~FeedEngine();

    // Loads the subscriptions, creates the window and starts the workers;
    // false when the window cannot be created.
    bool Start(HINSTANCE instance);
    // Until the window is closed.
    void Run();
    HWND Window() const { return window_; }

    FeedTreeModel& Model() { return model_; }
    // Saves the tree; false when the file could not be written.
    bool Save();

    // To every pane, through the relay windows the panes own.
    void SendToPanes(UINT message, WPARAM wParam, LPARAM lParam) const;
    void SendBatchToPanes(BatchWriter& batch) const;
    // The nodes, parents first: inserts, one text batch (ending with sorts
    // of the folders `sorted`; 0 stands for none), the folders' expansion.
    void Describe(HWND target, const std::vector<DWORD>& nodes,
                  const std::vector<DWORD>& sorted = {}) const;
    void DescribeAll(HWND target) const;
    // Inserts and texts of the whole tree in batches of `records` records.
    void DescribeInBatches(size_t records) const;
    // Shows a node that is new to the panes, sorted among its siblings
    // when asked to.
    void Announce(DWORD node, bool sortParent = false) const;

    // Subscribes address in folder and fetches it; returns the new node.
    DWORD AddChannel(DWORD folder, const std::wstring& address);
    // Opens the add-channel dialog once the current message is handled.
    void AskForChannel(DWORD folder, const std::wstring& address);
    bool ExportTo(const std::wstring& file, DWORD node) const;
    // Adds the file's subscriptions to folder and shows them; false when
    // the file is not OPML.
    bool ImportFrom(const std::wstring& file, DWORD folder);
    // An empty tree, saved; open dialogs are cancelled.
    void Reset();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(const COPYDATASTRUCT& data);
    void OnRequest(UINT message, WPARAM wParam, LPARAM lParam);
    void OnAutoUpdateTick();
    void OnJobsDone();
    void OnUpdateFinished(const FinishedJob& done);

    void NewFolder(DWORD selected);
    void ShowAddDialog();
    void ShowProperties(DWORD node);
    void ExportWithDialog(DWORD node);
    void ImportWithDialog(DWORD folder);
    void Delete(DWORD node);
    void MoveNode(DWORD node, DWORD folder);
    void SetExpanded(DWORD node, bool expanded);
    void Update(DWORD node, LPARAM how);
    void UpdateChannel(const FeedNode& channel);
    void UpdateWithoutFeed(const FeedNode& channel) const;
    void Read(DWORD node);
    void AnswerUnread(HWND pane, DWORD node) const;
    void ShowUnread(DWORD node) const;
    void SendText(const FeedNode& node) const;
    void CancelDialogs() const;
    bool RunDialog(ModalDialog& dialog, int templateId, INT_PTR& answer);

    std::wstring dataFolder_;
    FeedTreeModel model_;
    SubscriptionFile file_;
    std::string savedText_;  // what the file holds
    EngineExtension* extension_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    std::unique_ptr<UpdateWorker> worker_;
    bool dialogOpen_ = false;
    DWORD generation_ = 0;  // of the tree, counted by resets
    DWORD pendingFolder_ = 0;
    std::wstring pendingAddress_;
    DWORD lastAutoUpdate_ = 0;
};
