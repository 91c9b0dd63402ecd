#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "common/FontHandle.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWorker.h"
#include "dialogs/LoadedFeed.h"
#include "dialogs/WindowSubclass.h"
#include "page/FeedLink.h"

// Properties of the subclassed list and of its title editor.
inline constexpr wchar_t kAddListProperty[] = L"RssAddAM";
inline constexpr wchar_t kTitleEditorProperty[] = L"EditLabel";

// "添加RSS订阅" (template 106): the feeds a page advertises, one row each
// (row i loads into cache k = -1 - i on the worker), ticked by the user,
// with titles corrected in place; "添加" subscribes the ticked rows in row
// order. Modeless, owned by the toolbar window.
class AddFeedsDialog : public DialogBase {
public:
    static constexpr int kTitleLeft = 20;
    static constexpr int kTitleRight = 306;
    static constexpr int kTextInset = 5;
    static constexpr int kEditorWidth = 262;
    static constexpr int kEditorHeight = 17;

    explicit AddFeedsDialog(DialogOwner* button);
    ~AddFeedsDialog() override;

    // Opens the window for a copy of feeds; an open one is brought forward
    // with the rows it shows.
    HWND Open(const FeedLinkList& feeds);

    HWND List() const;
    // Every row has been loaded: ticks count from now on.
    bool Loaded() const { return loadTime_ != 0; }
    static int CacheNumberOfRow(int row) { return -1 - row; }

protected:
    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        INT_PTR* result) override;
    // Enter does not add: only "添加" does.
    bool OnOk() override { return false; }

private:
    void OnInit();
    int LoadOnWorker(const DownloadGuard& guard);
    void OnRowStarted(int row);
    void OnRowLoaded(int row, LoadOutcome outcome);
    void OnAllLoaded();
    void OnTicksChanged();
    void OnClick(const NMITEMACTIVATE* click);
    bool OnBeginEdit(const NMLVDISPINFOW* info);
    void OnEndEdit(const NMLVDISPINFOW* info);
    void OnAdd();
    void StopAndClose();
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
    void DrawCell(const NMLVCUSTOMDRAW* draw);
    bool OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    bool OnEditorMessage(HWND editor, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    FeedLinkList feeds_;
    std::vector<std::unique_ptr<LoadedFeed>> loaded_;
    // Seconds since 1970 when every row had been loaded, 0 before.
    LONG loadTime_ = 0;
    FontHandle headerFont_;
    FontHandle rowFont_;
    HFONT listFont_ = nullptr;
    WindowSubclass listSubclass_;
    WindowSubclass editorSubclass_;
    int editedRow_ = -1;
    std::wstring titleBeforeEdit_;
    LONG generation_ = 0;
    LONG runGeneration_ = 0;
    HWND target_ = nullptr;
    DialogWorker worker_;
};
