#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "common/FontHandle.h"
#include "dialogs/CustomAddDialog.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWorker.h"
#include "dialogs/WindowSubclass.h"
#include "feeds/SubscriptionStore.h"

// Property of the manage list while the dialog draws over it.
inline constexpr wchar_t kManageListProperty[] = L"RssManage";

// "管理RSS订阅" (template 105): lists every subscription (row i is
// subscription i + 1), removes the ticked ones after a confirmation and
// renumbers the rest, opens the custom-add dialog and, through the "编辑"
// link of each row, the edit dialog. Modal.
class ManageFeedsDialog : public DialogBase {
public:
    // The three columns: tick box and icon, title, "编辑" link.
    static constexpr int kBoxColumnWidth = 40;
    static constexpr int kTitleColumnWidth = 200;
    static constexpr int kLinkColumnWidth = 25;
    // Where the columns' contents are drawn, from the row's left edge.
    static constexpr int kTitleLeft = 40;
    static constexpr int kTitleRight = 220;
    static constexpr int kLinkLeft = 240;

    explicit ManageFeedsDialog(DialogOwner* button);
    ~ManageFeedsDialog() override;

    // Runs the dialog owned by owner until the user closes it.
    INT_PTR Open(HWND owner);

    HWND List() const;
    // The row whose drawn "编辑" link lies under point (list client
    // coordinates), -1 when none.
    int EditLinkRowAt(POINT point) const;
    // The width and height of the link text as it is drawn.
    SIZE LinkTextSize() const;
    // The mouse is over an edit link: the list shows the hand cursor.
    bool OverEditLink() const { return overLink_; }

protected:
    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        INT_PTR* result) override;

private:
    void OnInit();
    int FillOnWorker(const DownloadGuard& guard);
    void OnFilled(WPARAM generation);
    // Empties the list and fills it from the store on the window thread.
    void Refill();
    void InsertRows(std::vector<ListedSubscription> rows);
    void UpdateRemoveButton();
    void OnRemove();
    void OnAdd();
    void OnClick(const NMITEMACTIVATE* click);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
    void DrawCell(const NMLVCUSTOMDRAW* draw);
    bool OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void TrackPointer(HWND list, LPARAM position);

    HIMAGELIST images_ = nullptr;
    int iconIndex_ = -1;
    HFONT listFont_ = nullptr;
    FontHandle linkFont_;
    FontHandle rowFont_;
    WindowSubclass listSubclass_;
    bool overLink_ = false;
    std::wstring linkText_;
    // The subscription of each row, as listed.
    std::vector<ListedSubscription> rows_;
    // What the fill worker read, handed over with its message.
    std::vector<ListedSubscription> filled_;
    std::wstring rssIni_;
    LONG generation_ = 0;
    LONG runGeneration_ = 0;
    HWND target_ = nullptr;
    CustomAddDialog customAdd_;
    DialogWorker worker_;
};

// The titles joined by "," with nothing after the last, cut to 259 characters.
std::wstring JoinTitles(const std::vector<std::wstring>& titles);
