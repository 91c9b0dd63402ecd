#pragma once
// The band's tree pane: toolbar, feed tree and status bar, and the window
// through which the feed engine reaches the band. It turns the engine's
// messages into the tree and the user's clicks, keys, drags and commands
// into requests to the engine, and shows a channel by navigating the
// browser to the page file the engine wrote.
#include <exdisp.h>

#include <deque>
#include <vector>

#include "common/ComRef.h"
#include "server/EngineLink.h"
#include "server/LinkHarvest.h"
#include "server/StyleSheetList.h"
#include "ui/BandToolbar.h"
#include "ui/FeedTree.h"
#include "ui/FeedTreePaneAgent.h"
#include "ui/TreeDragDrop.h"
#include "ui/Window.h"

class FeedTreePane : public Window {
public:
    static const char kClassName[];

    // Page display modes of ShowChannelPage.
    enum ShowMode {
        kShowUnlessOnWeb = -1,  // leave a web page in the browser alone
        kStatusOnly = 0,
        kShowOrUpdate = 1,  // ask the engine for a page file that is missing
    };

    // Keeps the browser while the band holds it. COM must be initialised.
    explicit FeedTreePane(IWebBrowser2* browser);

    HWND Create(HWND parent);
    HWND EngineWindow() const { return engine_.Window(); }
    HWND TreeWindow() const { return tree_.Handle(); }
    HWND ToolbarWindow() const { return toolbar_.Handle(); }
    HWND StatusWindow() const { return status_; }
    HWND AgentWindow() const { return agent_.Handle(); }

    // Shows the selected channel's page when it exists and the user asked for
    // it (the pending-open item); refresh reloads instead of navigating twice.
    void ShowChannelPage(int mode, bool refresh);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnCreate();
    LRESULT OnDestroy();
    LRESULT OnSize(int width, int height);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnTreeNotify(NMHDR* header);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(UINT_PTR id);
    LRESULT OnContextMenu();
    LRESULT OnEngineMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDragMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPartnerPage(LPARAM lParam);
    void ItemDeleted(HTREEITEM item, DWORD node);
    void OnUpdate(DWORD node, int progress);

    bool RunTreeCommand(UINT id);
    void AddChannel();
    void UpdateSelected();
    void ConfirmDelete();
    void MarkRead();
    void MarkSubtreeRead(HTREEITEM item);
    void OpenDirectory();
    void OpenItem(HTREEITEM item);
    void UpdateLeaf();
    void ChooseStyle(UINT id);

    void Post(UINT message, HTREEITEM item, LPARAM lParam) const;
    void SendRecord(UINT message, WPARAM wParam, LPARAM lParam);
    void HoldRedraw();
    void ResumeRedraw();
    // True while the pane handles this very record of an engine batch.
    bool IsBatchRecord(UINT message, WPARAM wParam, LPARAM lParam) const;

    ComRef<IWebBrowser2> browser_;
    EngineLink engine_;
    LinkHarvest harvest_;
    StyleSheetList sheets_;
    FeedTree tree_;
    BandToolbar toolbar_;
    HWND status_ = nullptr;
    FeedTreePaneAgent agent_;
    TreeDragDrop drag_;
    HTREEITEM pending_ = nullptr;

    // Batches that arrive while another is walked wait their turn, so that
    // records keep the engine's order.
    std::deque<std::vector<BYTE>> batches_;
    bool walkingBatch_ = false;
    bool redrawHeld_ = false;
    DWORD redrawHeldSince_ = 0;
    struct Record {
        bool active;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    Record record_ = {false, 0, 0, 0};
};
