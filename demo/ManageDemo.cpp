// The two list dialogs in the demo: the manage dialog through the loaded
// plug-in's menu command and the add-several dialog on a page's worth of
// feeds, each photographed with several rows.
#include "ManageDemo.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "DialogDemo.h"
#include "core/HostProtocol.h"
#include "core/Module.h"
#include "dialogs/AddFeedsDialog.h"
#include "dialogs/ListRows.h"
#include "host/HostToolbar.h"
#include "res/resource.h"

namespace {

struct ManageVisit {
    std::wstring picture;
    int rows = -1;
    bool saved = false;
    DWORD start = 0;
};
ManageVisit* g_visit = nullptr;

// Runs inside the manage dialog's modal loop: once the rows are in, ticks
// the second, photographs the dialog and closes it.
void CALLBACK VisitManageDialog(HWND, UINT, UINT_PTR, DWORD) {
    ManageVisit* visit = g_visit;
    if (!visit) return;
    HWND dialog = FindWindowW(L"#32770", L"管理RSS订阅");
    if (!dialog) return;
    HWND list = GetDlgItem(dialog, IDC_MANAGE_LIST);
    bool timedOut = GetTickCount() - visit->start > 10000;
    if (RowCount(list) == 0 && !timedOut) return;
    g_visit = nullptr;
    visit->rows = RowCount(list);
    if (visit->rows > 1) SetRowTicked(list, 1, true);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!visit->picture.empty()) visit->saved = SaveWindowPicture(dialog, visit->picture);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void ShowManageDialog(HostToolbar& host, const std::wstring& pictureFolder) {
    std::printf("manage dialog (menu command 769):\n");
    ManageVisit visit;
    if (!pictureFolder.empty()) visit.picture = pictureFolder + L"\\manage_dialog.bmp";
    visit.start = GetTickCount();
    g_visit = &visit;
    UINT_PTR timer = SetTimer(nullptr, 0, 300, &VisitManageDialog);
    host.Send(kCodeCommand, 769);
    KillTimer(nullptr, timer);
    g_visit = nullptr;
    std::printf("  rows listed                        %d\n", visit.rows);
    if (!visit.picture.empty())
        std::printf("  picture of the dialog              %ls %s\n", visit.picture.c_str(),
                    visit.saved ? "saved" : "NOT saved");
}

void ShowAddFeedsDialog(HostToolbar& host, const std::vector<std::wstring>& addresses,
                        const std::wstring& pictureFolder) {
    std::printf("add-several dialog:\n");
    FeedLinkList feeds;
    for (size_t i = 0; i < addresses.size(); ++i) {
        FeedLink link;
        wchar_t title[32];
        swprintf(title, 32, L"页面上的源 %d", static_cast<int>(i + 1));
        link.SetTitle(title);
        link.SetUrl(addresses[i].c_str());
        feeds.push_back(link);
    }
    SetModuleInstance(host.Plugin());
    AddFeedsDialog dialog(nullptr);
    HWND window = dialog.Open(feeds);
    for (DWORD waited = 0; window && !dialog.Loaded() && waited < 20000; waited += 50)
        host.Pump(50);
    HWND list = dialog.List();
    std::printf("  rows loaded                        %s\n", dialog.Loaded() ? "all" : "not all");
    for (int row = 0; list && row < RowCount(list); ++row)
        std::printf("  row %d: \"%ls\"  %ls\n", row + 1, CellText(list, row, 1).c_str(),
                    CellText(list, row, 2).c_str());
    if (list && RowCount(list) > 1) {
        SetRowTicked(list, 0, true);
        SetRowTicked(list, RowCount(list) - 1, true);
    }
    if (window && !pictureFolder.empty()) {
        host.Pump(300);
        std::wstring path = pictureFolder + L"\\add_feeds_dialog.bmp";
        std::printf("  picture of the dialog              %ls %s\n", path.c_str(),
                    SaveWindowPicture(window, path) ? "saved" : "NOT saved");
    }
    if (window) SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

void RunManageDemo(HostToolbar& host, const std::vector<std::wstring>& feedAddresses,
                   const std::wstring& pictureFolder) {
    ShowManageDialog(host, pictureFolder);
    ShowAddFeedsDialog(host, feedAddresses, pictureFolder);
}
