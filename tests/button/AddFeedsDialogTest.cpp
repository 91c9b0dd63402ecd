// The add-several dialog with feeds loaded from the local test server: rows,
// ticks, titles edited in place and what "添加" writes to the store.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "DialogTestSupport.h"
#include "FeedTestSupport.h"
#include "core/AddedTip.h"
#include "dialogs/AddFeedsDialog.h"
#include "dialogs/ListRows.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

using namespace dialogtest;
using namespace feedtest;

namespace {

const wchar_t kNewsTitle[] = L"Tom & Jerry's <News>";

FeedLink Link(const wchar_t* title, const std::wstring& url) {
    FeedLink link;
    link.SetTitle(title);
    link.SetUrl(url.c_str());
    return link;
}

// Counts how often the added-tip is shown on this thread.
int g_tipShows = 0;
LRESULT CALLBACK CountTipShows(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGING) {
        auto* place = reinterpret_cast<WINDOWPOS*>(call->lParam);
        wchar_t name[64] = L"";
        GetClassNameW(call->hwnd, name, 64);
        if ((place->flags & SWP_SHOWWINDOW) && !lstrcmpW(name, L"RssAddedTip")) ++g_tipShows;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class AddFeedsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDataFolder();
        ServerGet(L"/_reset");
        TheAddedTip().Destroy();
        g_tipShows = 0;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &CountTipShows, nullptr, GetCurrentThreadId());
        scene_.reset(new ButtonOnHost(true));
        ASSERT_TRUE(scene_->Created());
        dialog_.reset(new AddFeedsDialog(&Button()));
    }
    void TearDown() override {
        dialog_.reset();
        scene_.reset();
        if (hook_) UnhookWindowsHookEx(hook_);
    }

    RecordingButton& Button() { return scene_->Button(); }
    std::wstring RssIni() { return Button().RssIniPath(); }
    std::wstring Stored(int n, const wchar_t* key) {
        return IniValue(RssIni(), NumberedSection(L"rss", n).c_str(), key);
    }
    int Count() { return ReadCount(RssIni().c_str(), 0); }

    // Opens the dialog on the three feeds (the last cannot be had) and waits
    // until every row is loaded.
    HWND OpenThree() {
        FeedLinkList feeds = {Link(L"页面一", ServerUrl(L"/feeds/rss20.xml")),
                              Link(L"页面二", ServerUrl(L"/feeds/atom10.xml")),
                              Link(L"页面三", ServerUrl(L"/feeds/none.xml"))};
        HWND window = dialog_->Open(feeds);
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(PumpUntil([&] { return dialog_->Loaded(); }));
        return window;
    }
    HWND List() { return dialog_->List(); }
    void SetTicked(int row, bool ticked) {
        SetRowTicked(List(), row, ticked);
        Pump(20);
    }
    bool ReaderTicked() {
        return IsDlgButtonChecked(dialog_->Window(), IDC_READER_CHECK) == BST_CHECKED;
    }

    HHOOK hook_ = nullptr;
    std::unique_ptr<ButtonOnHost> scene_;
    std::unique_ptr<AddFeedsDialog> dialog_;
};

// A page's link without an href, or with one no refresh can fetch, still has
// its row, but ticking it never stores a subscription that cannot refresh.
TEST_F(AddFeedsDialogTest, RowsWithoutAUsableAddressAreNeverStored) {
    FeedLinkList feeds = {Link(L"空", L""), Link(L"脚本", L"javascript:alert(1)"),
                          Link(L"页面一", ServerUrl(L"/feeds/rss20.xml")),
                          Link(L"无主机", L"http://")};
    HWND window = dialog_->Open(feeds);
    ASSERT_TRUE(PumpUntil([&] { return dialog_->Loaded(); }));
    ASSERT_EQ(RowCount(List()), 4);
    for (int row = 0; row < 4; ++row) SetTicked(row, true);
    Click(window, IDC_ADD_FEEDS);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"xmlUrl"), ServerUrl(L"/feeds/rss20.xml"));
    EXPECT_EQ(Stored(2, L"title"), L"<missing>");
    EXPECT_EQ(g_tipShows, 1);
    EXPECT_EQ(Button().ReaderCalls(), (std::vector<std::wstring>{ServerUrl(L"/feeds/rss20.xml")}));
}

TEST_F(AddFeedsDialogTest, RowsShowChannelTitlesOrTheLinksTitle) {
    HWND window = OpenThree();
    ASSERT_EQ(RowCount(List()), 3);
    EXPECT_EQ(CellText(List(), 0, 1), kNewsTitle);
    EXPECT_EQ(CellText(List(), 1, 1), L"Atom One");
    EXPECT_EQ(CellText(List(), 2, 1), L"页面三");
    EXPECT_EQ(CellText(List(), 2, 2), ServerUrl(L"/feeds/none.xml"));
    EXPECT_EQ(GetWindow(window, GW_OWNER), scene_->Host().Frame());
    EXPECT_NE(GetPropW(List(), L"RssAddAM"), nullptr);
    for (int row = 0; row < 3; ++row) EXPECT_FALSE(RowTicked(List(), row));
    EXPECT_TRUE(Enabled(window, IDC_ADD_FEEDS));
    EXPECT_EQ(Text(window, IDC_FEEDS_STATUS), L"");
    // Rows are three lines of the list's own font high.
    RECT row = RowRect(List(), 0);
    EXPECT_GE(row.bottom - row.top, 30);
}

TEST_F(AddFeedsDialogTest, TwoTickedOfThreeAppendTwoConsecutiveSubscriptionsAndOneTip) {
    EnsureStoreFiles(RssIni().c_str(), Button().HistoryIniPath());
    AppendSubscription(RssIni().c_str(), L"已有", L"http://old.invalid/", 99, 1);
    HWND window = OpenThree();
    SetTicked(0, true);
    SetTicked(2, true);
    EXPECT_TRUE(ReaderTicked());
    Click(window, IDC_ADD_FEEDS);
    EXPECT_FALSE(IsWindow(window));

    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Stored(2, L"title"), kNewsTitle);
    EXPECT_EQ(Stored(2, L"xmlUrl"), ServerUrl(L"/feeds/rss20.xml"));
    EXPECT_EQ(Stored(2, L"htmlUrl"), L"http://example.org/news/");
    EXPECT_EQ(Stored(3, L"title"), L"页面三");
    EXPECT_EQ(Stored(3, L"xmlUrl"), ServerUrl(L"/feeds/none.xml"));
    EXPECT_EQ(Stored(3, L"htmlUrl"), L"");
    EXPECT_EQ(Stored(4, L"title"), L"<missing>");
    EXPECT_EQ(g_tipShows, 1);
    EXPECT_EQ(Button().ReaderCalls(), (std::vector<std::wstring>{ServerUrl(L"/feeds/rss20.xml"),
                                                                 ServerUrl(L"/feeds/none.xml")}));
}

TEST_F(AddFeedsDialogTest, AddingWithNothingTickedClosesWithoutATip) {
    HWND window = OpenThree();
    Click(window, IDC_ADD_FEEDS);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(g_tipShows, 0);
    EXPECT_TRUE(Button().ReaderCalls().empty());
}

TEST_F(AddFeedsDialogTest, TicksFollowTheReaderBoxAndTheAddButton) {
    HWND window = OpenThree();
    SetTicked(1, true);
    EXPECT_TRUE(Enabled(window, IDC_ADD_FEEDS));
    EXPECT_TRUE(ReaderTicked());
    // The user declines the reader, then ticks another row: the box follows.
    CheckDlgButton(window, IDC_READER_CHECK, BST_UNCHECKED);
    SetTicked(0, true);
    EXPECT_TRUE(ReaderTicked());
    SetTicked(0, false);
    EXPECT_TRUE(Enabled(window, IDC_ADD_FEEDS));
    SetTicked(1, false);
    EXPECT_FALSE(Enabled(window, IDC_ADD_FEEDS));
    EXPECT_FALSE(ReaderTicked());

    // Enter does not add; "取消" closes without writing.
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindow(window));
    SetTicked(2, true);
    Click(window, IDC_FEEDS_CANCEL);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Count(), 0);
}

TEST_F(AddFeedsDialogTest, TicksDuringLoadingAreNotActedOn) {
    FeedLinkList feeds = {Link(L"快", ServerUrl(L"/feeds/rss20.xml")),
                          Link(L"慢", ServerUrl(L"/feeds/atom10.xml?delay=1"))};
    HWND window = dialog_->Open(feeds);
    ASSERT_TRUE(PumpUntil([&] { return RowCount(List()) == 2; }));
    EXPECT_EQ(Text(window, IDC_FEEDS_STATUS), StringResource(IDS_LOADING_TITLE));
    SetTicked(0, true);
    EXPECT_FALSE(dialog_->Loaded());
    EXPECT_FALSE(Enabled(window, IDC_ADD_FEEDS));
    EXPECT_FALSE(ReaderTicked());
    ASSERT_TRUE(PumpUntil([&] { return dialog_->Loaded(); }));
    EXPECT_TRUE(Enabled(window, IDC_ADD_FEEDS));
    EXPECT_EQ(CellText(List(), 1, 1), L"Atom One");
}

// ---- titles edited in place -------------------------------------------------

void ClickFirstColumn(HWND dialog, HWND list, int row) {
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = IDC_FEEDS_LIST;
    click.hdr.code = NM_CLICK;
    RECT rect = RowRect(list, row);
    click.ptAction = {rect.left + 10, (rect.top + rect.bottom) / 2};
    SendMessageW(dialog, WM_NOTIFY, IDC_FEEDS_LIST, reinterpret_cast<LPARAM>(&click));
}

HWND Editor(HWND list) {
    return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
}

// Ends the edit the way leaving the editor does.
void FinishEdit(HWND list) {
    SetFocus(list);
    Pump(20);
}

TEST_F(AddFeedsDialogTest, ATitleEditedInPlaceIsStoredEvenBeyond30Characters) {
    HWND window = OpenThree();
    ClickFirstColumn(window, List(), 1);
    HWND editor = Editor(List());
    ASSERT_NE(editor, nullptr);
    EXPECT_NE(GetPropW(editor, L"EditLabel"), nullptr);
    wchar_t shown[MAX_PATH] = L"";
    GetWindowTextW(editor, shown, MAX_PATH);
    EXPECT_STREQ(shown, L"Atom One");
    EXPECT_EQ(CellText(List(), 1, 1), L"");
    RECT place = {};
    GetWindowRect(editor, &place);
    EXPECT_EQ(place.right - place.left, AddFeedsDialog::kEditorWidth);
    EXPECT_EQ(place.bottom - place.top, AddFeedsDialog::kEditorHeight);
    SendMessageW(editor, WM_CHAR, L'x', 0);
    GetWindowRect(editor, &place);
    EXPECT_EQ(place.right - place.left, AddFeedsDialog::kEditorWidth);

    const std::wstring edited(35, L'改');
    SetWindowTextW(editor, edited.c_str());
    FinishEdit(List());
    EXPECT_EQ(Editor(List()), nullptr);
    EXPECT_EQ(CellText(List(), 1, 1), edited);

    SetTicked(1, true);
    Click(window, IDC_ADD_FEEDS);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"title"), edited);
    EXPECT_EQ(Stored(1, L"xmlUrl"), ServerUrl(L"/feeds/atom10.xml"));
}

TEST_F(AddFeedsDialogTest, AnEmptiedTitleIsRefusedAndTheRowKeepsItsTitle) {
    HWND window = OpenThree();
    ClickFirstColumn(window, List(), 0);
    HWND editor = Editor(List());
    ASSERT_NE(editor, nullptr);
    SetWindowTextW(editor, L"");
    FinishEdit(List());
    EXPECT_EQ(CellText(List(), 0, 1), kNewsTitle);
}

TEST_F(AddFeedsDialogTest, TickedRowsAndUnloadedListsStartNoEdit) {
    FeedLinkList feeds = {Link(L"慢", ServerUrl(L"/feeds/atom10.xml?delay=1")),
                          Link(L"快", ServerUrl(L"/feeds/rss20.xml"))};
    HWND window = dialog_->Open(feeds);
    ASSERT_TRUE(PumpUntil([&] { return RowCount(List()) == 1; }));
    ClickFirstColumn(window, List(), 0);
    EXPECT_EQ(Editor(List()), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return dialog_->Loaded(); }));
    SetTicked(1, true);
    ClickFirstColumn(window, List(), 1);
    EXPECT_EQ(Editor(List()), nullptr);
}

TEST_F(AddFeedsDialogTest, TheButtonOpensOneWindowForAPageWithSeveralFeeds) {
    FeedLinkList feeds = {Link(L"一", ServerUrl(L"/feeds/rss20.xml")),
                          Link(L"二", ServerUrl(L"/feeds/atom10.xml"))};
    Button().OpenAddFeedsDialog(feeds);
    auto several = [] {
        HWND window = FindWindowW(L"#32770", L"添加RSS订阅");
        return window && GetDlgItem(window, IDC_FEEDS_LIST) ? window : nullptr;
    };
    HWND window = several();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), scene_->Host().Frame());
    HWND list = GetDlgItem(window, IDC_FEEDS_LIST);
    ASSERT_TRUE(PumpUntil(
        [&] { return RowCount(list) == 2 && IsWindowEnabled(GetDlgItem(window, IDC_ADD_FEEDS)); }));
    feeds.pop_back();
    Button().OpenAddFeedsDialog(feeds);
    EXPECT_EQ(several(), window);
    EXPECT_EQ(RowCount(list), 2);
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
