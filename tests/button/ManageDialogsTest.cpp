// The manage and edit dialogs driven modally the way a user drives them: a
// thread timer plays the user's steps inside the dialogs' message loops and
// answers their message boxes; the store files are checked afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include "DialogTestSupport.h"
#include "FeedTestSupport.h"
#include "dialogs/EditFeedDialog.h"
#include "dialogs/ListRows.h"
#include "dialogs/ManageFeedsDialog.h"
#include "feeds/FeedCache.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"
#include "support/TestPaths.h"

using namespace dialogtest;
using namespace feedtest;

namespace {

// The text of a message box: its longest static text.
std::wstring MessageBoxText(HWND box) {
    std::wstring longest;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = L"";
        GetClassNameW(child, name, 32);
        if (lstrcmpiW(name, L"Static")) continue;
        wchar_t text[1024] = L"";
        GetWindowTextW(child, text, 1024);
        if (wcslen(text) > longest.size()) longest = text;
    }
    return longest;
}

// Answers the confirmation with OK or Cancel once it is shown, noting its text.
Script::Step AnswerConfirmation(int answer, std::wstring* text) {
    return [=] {
        HWND box = FindDialog(StringResource(IDS_TOOLBAR_CAPTION).c_str());
        if (!box) return false;
        if (text) *text = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, answer, 0);
        return true;
    };
}

std::wstring Title(int n) {
    return L"订阅" + std::to_wstring(n);
}

class ManageDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDataFolder();
        ServerGet(L"/_reset");
        scene_.reset(new ButtonOnHost(false));
        ASSERT_TRUE(scene_->Created());
    }
    void TearDown() override { scene_.reset(); }

    RecordingButton& Button() { return scene_->Button(); }
    std::wstring RssIni() { return Button().RssIniPath(); }
    std::wstring HistoryIni() { return Button().HistoryIniPath(); }
    std::wstring Stored(int n, const wchar_t* key) {
        return IniValue(RssIni(), NumberedSection(L"rss", n).c_str(), key);
    }
    std::wstring Marks(int n) {
        return IniValue(HistoryIni(), NumberedSection(L"rss", n).c_str(), L"his");
    }
    std::wstring CacheTitle(int n) { return IniValue(FeedCachePath(n), L"main", L"title"); }
    int Count() { return ReadCount(RssIni().c_str(), -1); }
    // Subscription n of Seed as a list shows it, with the title given.
    ListedSubscription Listed(int n, const std::wstring& title) {
        ListedSubscription listed;
        listed.number = n;
        listed.title = title;
        listed.xmlUrl = L"http://feeds.invalid/" + std::to_wstring(n) + L".xml";
        return listed;
    }

    // Subscriptions 1..count; the first and last ten with a cache file and a
    // read mark (a long store is slow to write otherwise).
    void Seed(int count) {
        EnsureStoreFiles(RssIni().c_str(), HistoryIni().c_str());
        for (int n = 1; n <= count; ++n) {
            std::wstring section = NumberedSection(L"rss", n);
            WriteIniString(RssIni().c_str(), section.c_str(), L"title", Title(n));
            WriteIniString(RssIni().c_str(), section.c_str(), L"xmlUrl",
                           L"http://feeds.invalid/" + std::to_wstring(n) + L".xml");
            if (n > 10 && n <= count - 10) continue;
            WriteIniString(HistoryIni().c_str(), section.c_str(), L"his",
                           L"0000000" + std::to_wstring(n % 10) + L"|");
            std::wstring cache = FeedCachePath(n);
            CreateUnicodeIniFile(cache.c_str());
            WriteIniString(cache.c_str(), L"main", L"title", L"cache " + std::to_wstring(n));
        }
        WriteIniNumber(RssIni().c_str(), L"main", L"count", count);
    }

    // Runs the manage dialog with the steps; the test fails on a time-out.
    void RunManage(ManageFeedsDialog& dialog, std::vector<Script::Step> steps) {
        steps.push_back([&dialog] {
            PostMessageW(dialog.Window(), WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        Script script(std::move(steps));
        INT_PTR code = dialog.Open(scene_->Host().Frame());
        EXPECT_EQ(code, IDCANCEL);
        EXPECT_FALSE(script.TimedOut());
        EXPECT_TRUE(script.Finished());
    }

    std::unique_ptr<ButtonOnHost> scene_;
};

Script::Step WhenFilled(ManageFeedsDialog& dialog, int rows) {
    return [&dialog, rows] { return dialog.Window() && RowCount(dialog.List()) == rows; };
}

Script::Step Tick(ManageFeedsDialog& dialog, std::vector<int> rows) {
    return [&dialog, rows] {
        for (int row : rows) SetRowTicked(dialog.List(), row, true);
        return true;
    };
}

Script::Step PressRemove(ManageFeedsDialog& dialog) {
    return [&dialog] {
        PostMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE, BN_CLICKED), 0);
        return true;
    };
}

std::vector<std::wstring> ListedTitles(HWND list) {
    std::vector<std::wstring> titles;
    for (int row = 0; row < RowCount(list); ++row) titles.push_back(CellText(list, row, 1));
    return titles;
}

TEST_F(ManageDialogsTest, DeletingTheSecondAndFourthOfFiveRenumbersEverything) {
    Seed(5);
    ManageFeedsDialog dialog(&Button());
    std::wstring confirmation;
    bool enabledBefore = true, enabledWhenTicked = false;
    std::vector<std::wstring> listedAfter;
    RunManage(dialog, {WhenFilled(dialog, 5),
                       [&] {
                           enabledBefore = Enabled(dialog.Window(), IDC_REMOVE);
                           EXPECT_EQ(CellText(dialog.List(), 4, 1), Title(5));
                           EXPECT_EQ(CellText(dialog.List(), 4, 2), L"编辑");
                           EXPECT_NE(GetPropW(dialog.List(), L"RssManage"), nullptr);
                           return true;
                       },
                       Tick(dialog, {1, 3}),
                       [&] {
                           enabledWhenTicked = Enabled(dialog.Window(), IDC_REMOVE);
                           return true;
                       },
                       PressRemove(dialog), AnswerConfirmation(IDOK, &confirmation),
                       [&] {
                           if (RowCount(dialog.List()) != 3) return false;
                           listedAfter = ListedTitles(dialog.List());
                           return true;
                       }});
    EXPECT_FALSE(enabledBefore);
    EXPECT_TRUE(enabledWhenTicked);
    EXPECT_EQ(confirmation, L"您确定要取消订阅：" + Title(2) + L"," + Title(4) + L"？");
    EXPECT_EQ(listedAfter, (std::vector<std::wstring>{Title(1), Title(3), Title(5)}));

    EXPECT_EQ(Count(), 3);
    const int formerOf[] = {0, 1, 3, 5};
    for (int n = 1; n <= 3; ++n) {
        int former = formerOf[n];
        EXPECT_EQ(Stored(n, L"title"), Title(former));
        EXPECT_EQ(Stored(n, L"xmlUrl"),
                  L"http://feeds.invalid/" + std::to_wstring(former) + L".xml");
        EXPECT_EQ(CacheTitle(n), L"cache " + std::to_wstring(former));
        EXPECT_EQ(Marks(n), L"0000000" + std::to_wstring(former) + L"|");
    }
    for (int n = 4; n <= 5; ++n) {
        EXPECT_EQ(Stored(n, L"title"), L"<missing>");
        EXPECT_EQ(Marks(n), L"<missing>");
        EXPECT_FALSE(Exists(FeedCachePath(n)));
    }
}

TEST_F(ManageDialogsTest, DeletingEverySubscriptionLeavesAnEmptyListAndNoDelete) {
    Seed(3);
    ManageFeedsDialog dialog(&Button());
    bool removeEnabled = true;
    RunManage(dialog, {WhenFilled(dialog, 3), Tick(dialog, {0, 1, 2}), PressRemove(dialog),
                       AnswerConfirmation(IDOK, nullptr), WhenFilled(dialog, 0), [&] {
                           removeEnabled = Enabled(dialog.Window(), IDC_REMOVE);
                           return true;
                       }});
    EXPECT_FALSE(removeEnabled);
    EXPECT_EQ(Count(), 0);
    for (int n = 1; n <= 3; ++n) EXPECT_FALSE(Exists(FeedCachePath(n)));
}

TEST_F(ManageDialogsTest, CancellingTheConfirmationChangesNothing) {
    Seed(4);
    std::string rssBefore = ReadBytes(RssIni());
    std::string historyBefore = ReadBytes(HistoryIni());
    ManageFeedsDialog dialog(&Button());
    std::wstring confirmation;
    bool stillTicked = false;
    RunManage(dialog, {WhenFilled(dialog, 4), Tick(dialog, {3}), PressRemove(dialog),
                       AnswerConfirmation(IDCANCEL, &confirmation), [&] {
                           // The box is gone once the dialog is active again.
                           if (FindDialog(L"Pemba工具栏")) return false;
                           stillTicked =
                               RowTicked(dialog.List(), 3) && RowCount(dialog.List()) == 4;
                           return true;
                       }});
    EXPECT_EQ(confirmation, L"您确定要取消订阅：" + Title(4) + L"？");
    EXPECT_TRUE(stillTicked);
    EXPECT_EQ(ReadBytes(RssIni()), rssBefore);
    EXPECT_EQ(ReadBytes(HistoryIni()), historyBefore);
    for (int n = 1; n <= 4; ++n) EXPECT_TRUE(Exists(FeedCachePath(n)));
}

// Counts the reports its fill worker sends the window.
class ObservedManageDialog : public ManageFeedsDialog {
public:
    using ManageFeedsDialog::ManageFeedsDialog;
    int Reports() const { return reports_; }

protected:
    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        INT_PTR* result) override {
        if (message >= WM_APP && message <= 0xBFFF) ++reports_;
        return ManageFeedsDialog::ProcessMessage(window, message, wParam, lParam, result);
    }

private:
    int reports_ = 0;
};

TEST_F(ManageDialogsTest, AStoreWithoutCountListsNothing) {
    Seed(2);
    WritePrivateProfileStringW(L"main", L"count", nullptr, RssIni().c_str());
    ObservedManageDialog dialog(&Button());
    int rows = -1;
    RunManage(dialog, {[&] {
                  // Once the fill worker has reported.
                  if (!dialog.Window() || dialog.Reports() == 0) return false;
                  rows = RowCount(dialog.List());
                  return true;
              }});
    EXPECT_EQ(rows, 0);
}

TEST_F(ManageDialogsTest, MoreThan240SubscriptionsAreListedAndRemovedByRow) {
    Seed(242);
    ManageFeedsDialog dialog(&Button());
    std::wstring confirmation;
    RunManage(dialog, {WhenFilled(dialog, 242), Tick(dialog, {240}), PressRemove(dialog),
                       AnswerConfirmation(IDOK, &confirmation), WhenFilled(dialog, 241)});
    EXPECT_EQ(confirmation, L"您确定要取消订阅：" + Title(241) + L"？");
    EXPECT_EQ(Count(), 241);
    EXPECT_EQ(Stored(240, L"title"), Title(240));
    EXPECT_EQ(Stored(241, L"title"), Title(242));
    EXPECT_EQ(Stored(242, L"title"), L"<missing>");
    EXPECT_EQ(CacheTitle(241), L"cache 242");
}

TEST_F(ManageDialogsTest, TheConfirmationListsTitlesCutToItsBuffer) {
    EnsureStoreFiles(RssIni().c_str(), HistoryIni().c_str());
    for (int n = 1; n <= 12; ++n) {
        WriteIniString(RssIni().c_str(), NumberedSection(L"rss", n).c_str(), L"title",
                       std::wstring(30, static_cast<wchar_t>(L'a' + n)));
    }
    WriteIniNumber(RssIni().c_str(), L"main", L"count", 12);
    ManageFeedsDialog dialog(&Button());
    std::wstring confirmation;
    RunManage(dialog, {WhenFilled(dialog, 12), Tick(dialog, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}),
                       PressRemove(dialog), AnswerConfirmation(IDCANCEL, &confirmation)});
    EXPECT_EQ(confirmation.size(), 259u);
    EXPECT_EQ(confirmation.substr(0, 9 + 31),
              L"您确定要取消订阅：" + std::wstring(30, L'b') + L",");
    EXPECT_EQ(Count(), 12);
}

// ---- the edit link ----------------------------------------------------------

POINT RowPoint(HWND list, int row, int x) {
    RECT rect = RowRect(list, row);
    return {rect.left + x, (rect.top + rect.bottom) / 2};
}

// The columns, from the row's left edge, where the list shows ink of the
// link's blue in the row right of the title: the link as the user sees it.
// {-1, -1} when none.
std::pair<int, int> DrawnLink(HWND list, int row) {
    UpdateWindow(list);
    RECT rect = RowRect(list, row);
    RECT client = {};
    GetClientRect(list, &client);
    std::pair<int, int> span = {-1, -1};
    HDC dc = GetDC(list);
    for (int x = rect.left + ManageFeedsDialog::kTitleRight; x < client.right; ++x) {
        for (int y = rect.top; y < rect.bottom; ++y) {
            COLORREF pixel = GetPixel(dc, x, y);
            if (pixel == CLR_INVALID || GetBValue(pixel) < 120 || GetRValue(pixel) > 100) continue;
            if (span.first < 0) span.first = x - rect.left;
            span.second = x - rect.left;
            break;
        }
    }
    ReleaseDC(list, dc);
    return span;
}

// A click of the left button as the list receives it from the mouse.
void ClickAt(HWND list, POINT point) {
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

TEST_F(ManageDialogsTest, TheWholeDrawnEditLinkIsHitAndNothingBesideIt) {
    Seed(3);
    ManageFeedsDialog dialog(&Button());
    RunManage(dialog,
              {WhenFilled(dialog, 3), [&] {
                   HWND list = dialog.List();
                   std::pair<int, int> link = DrawnLink(list, 1);
                   EXPECT_GE(link.first, ManageFeedsDialog::kLinkLeft);
                   EXPECT_GT(link.second, link.first + 10);
                   for (int x = link.first; x <= link.second; ++x)
                       EXPECT_EQ(dialog.EditLinkRowAt(RowPoint(list, 1, x)), 1) << "x " << x;
                   // Beside it, on the title, and above it in the two-line row.
                   EXPECT_EQ(dialog.EditLinkRowAt(RowPoint(list, 1, link.first - 3)), -1);
                   EXPECT_EQ(dialog.EditLinkRowAt(RowPoint(list, 1, link.second + 3)), -1);
                   EXPECT_EQ(dialog.EditLinkRowAt(RowPoint(list, 1, 100)), -1);
                   RECT row = RowRect(list, 1);
                   EXPECT_EQ(dialog.EditLinkRowAt({row.left + link.first + 2, row.top + 1}), -1);

                   // The hand over the whole link until the mouse leaves the list.
                   POINT end = RowPoint(list, 0, link.second);
                   SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(end.x, end.y));
                   EXPECT_TRUE(dialog.OverEditLink());
                   SendMessageW(list, WM_SETCURSOR, reinterpret_cast<WPARAM>(list),
                                MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                   EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
                   SendMessageW(list, WM_MOUSELEAVE, 0, 0);
                   EXPECT_FALSE(dialog.OverEditLink());
                   POINT blank = RowPoint(list, 0, link.first - 3);
                   SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(blank.x, blank.y));
                   EXPECT_FALSE(dialog.OverEditLink());
                   return true;
               }});
}

// A click beside one row's link opens nothing; a click on the far end of
// another row's link edits that row's subscription.
TEST_F(ManageDialogsTest, ClickingTheEditLinkRenamesTheRowsSubscription) {
    Seed(3);
    ManageFeedsDialog dialog(&Button());
    std::wstring shownTitle, shownAddress, refused;
    bool addressReadOnly = false;
    std::vector<std::wstring> listed;
    const std::wstring k30(30, L'题'), k31(31, L'题');
    auto edit = [] { return FindDialog(L"编辑该RSS订阅"); };
    RunManage(dialog, {WhenFilled(dialog, 3),
                       [&] {
                           HWND list = dialog.List();
                           std::pair<int, int> link = DrawnLink(list, 1);
                           ClickAt(list, RowPoint(list, 0, link.first - 3));
                           ClickAt(list, RowPoint(list, 1, link.second));
                           return true;
                       },
                       [&] {
                           HWND window = edit();
                           if (!window) return false;
                           shownTitle = Text(window, IDC_EDIT_TITLE);
                           shownAddress = Text(window, IDC_EDIT_ADDRESS);
                           addressReadOnly =
                               (GetWindowLongW(GetDlgItem(window, IDC_EDIT_ADDRESS), GWL_STYLE) &
                                ES_READONLY) != 0;
                           SetText(window, IDC_EDIT_TITLE, k31);
                           Click(window, IDC_EDIT_OK);
                           refused = Text(window, IDC_EDIT_STATUS);
                           SetText(window, IDC_EDIT_TITLE, k30);
                           PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_EDIT_OK, BN_CLICKED), 0);
                           return true;
                       },
                       [&] {
                           if (edit() || CellText(dialog.List(), 1, 1) != k30) return false;
                           listed = ListedTitles(dialog.List());
                           return true;
                       }});
    EXPECT_EQ(shownTitle, Title(2));
    EXPECT_EQ(shownAddress, L"http://feeds.invalid/2.xml");
    EXPECT_TRUE(addressReadOnly);
    EXPECT_EQ(refused, StringResource(IDS_TITLE_TOO_LONG));
    EXPECT_EQ(listed, (std::vector<std::wstring>{Title(1), k30, Title(3)}));
    EXPECT_EQ(Stored(2, L"title"), k30);
    EXPECT_EQ(Stored(2, L"xmlUrl"), L"http://feeds.invalid/2.xml");
    EXPECT_EQ(Count(), 3);
}

// Another browser window removes the first subscription and adds a new one
// while this list still shows the old numbers: the edit and the removal
// reach the subscriptions the rows show, not the ones now at their numbers.
TEST_F(ManageDialogsTest, RowsKeepTheirSubscriptionsWhenAnotherWindowRenumbers) {
    Seed(3);
    ManageFeedsDialog dialog(&Button());
    auto edit = [] { return FindDialog(L"编辑该RSS订阅"); };
    auto renumber = [&](const wchar_t* added) {
        RemoveSubscriptions(RssIni().c_str(), HistoryIni().c_str(), {false, true, true});
        AppendSubscription(RssIni().c_str(), added, L"http://feeds.invalid/new.xml", -1, 1);
    };
    std::wstring renamedAddress;
    std::vector<std::wstring> listedAfter;
    RunManage(dialog,
              {WhenFilled(dialog, 3),
               [&] {
                   renumber(L"新订阅");  // the list shows 1 2 3, the store holds 2 3 new
                   HWND list = dialog.List();
                   ClickAt(list, RowPoint(list, 1, DrawnLink(list, 1).first + 2));
                   return true;
               },
               [&] {
                   HWND window = edit();
                   if (!window) return false;
                   SetText(window, IDC_EDIT_TITLE, L"改名");
                   PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_EDIT_OK, BN_CLICKED), 0);
                   return true;
               },
               [&] {
                   if (edit() || RowCount(dialog.List()) != 3) return false;
                   renamedAddress = Stored(1, L"xmlUrl") + L" " + Stored(1, L"title");
                   renumber(L"又一个");  // the list shows 改名 3 new, the store 3 new 又一个
                   return true;
               },
               Tick(dialog, {2}), PressRemove(dialog), AnswerConfirmation(IDOK, nullptr),
               [&] {
                   if (RowCount(dialog.List()) != 2) return false;
                   listedAfter = ListedTitles(dialog.List());
                   return true;
               }});
    EXPECT_EQ(renamedAddress, L"http://feeds.invalid/2.xml 改名");
    EXPECT_EQ(listedAfter, (std::vector<std::wstring>{Title(3), L"又一个"}));
    EXPECT_EQ(Count(), 2);
}

// A corrupt count is bounded by the subscriptions the list holds, for the
// fill and for the removal alike.
TEST_F(ManageDialogsTest, ACorruptCountListsAndRemovesWhatTheStoreHolds) {
    Seed(3);
    WriteIniNumber(RssIni().c_str(), L"main", L"count", 2147483647);
    ManageFeedsDialog dialog(&Button());
    RunManage(dialog, {WhenFilled(dialog, 3), Tick(dialog, {1}), PressRemove(dialog),
                       AnswerConfirmation(IDOK, nullptr), WhenFilled(dialog, 2)});
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Stored(1, L"title"), Title(1));
    EXPECT_EQ(Stored(2, L"title"), Title(3));
}

TEST_F(ManageDialogsTest, EditDialogRefuses31CharactersAndAcceptsAnEmptyTitle) {
    Seed(2);
    EditFeedDialog dialog(&Button());
    std::wstring status;
    INT_PTR code = 0;
    {
        Script script({[&] {
            if (!dialog.Window()) return false;
            SetText(dialog.Window(), IDC_EDIT_TITLE, std::wstring(31, L'x'));
            Click(dialog.Window(), IDC_EDIT_OK);
            status = Text(dialog.Window(), IDC_EDIT_STATUS);
            EXPECT_EQ(Stored(2, L"title"), Title(2));
            SetText(dialog.Window(), IDC_EDIT_TITLE, L"");
            PostMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDC_EDIT_OK, BN_CLICKED), 0);
            return true;
        }});
        code = dialog.Open(scene_->Host().Frame(), Listed(2, Title(2)));
    }
    EXPECT_EQ(code, IDC_EDIT_OK);
    EXPECT_EQ(status, StringResource(IDS_TITLE_TOO_LONG));
    EXPECT_EQ(Stored(2, L"title"), L"");
    EXPECT_EQ(Stored(1, L"title"), Title(1));

    {
        Script script({[&] {
            if (!dialog.Window()) return false;
            SetText(dialog.Window(), IDC_EDIT_TITLE, L"changed");
            PostMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        }});
        code = dialog.Open(scene_->Host().Frame(), Listed(2, L""));
    }
    EXPECT_EQ(code, IDCANCEL);
    EXPECT_EQ(Stored(2, L"title"), L"");
}

// ---- adding from the manage dialog -----------------------------------------

TEST_F(ManageDialogsTest, AddingThroughTheCustomAddDialogRefillsTheList) {
    Seed(1);
    ManageFeedsDialog dialog(&Button());
    auto customAdd = [] { return FindDialog(L"自定义添加RSS订阅"); };
    bool ownedByManage = false;
    RunManage(dialog, {WhenFilled(dialog, 1),
                       [&] {
                           PostMessageW(dialog.Window(), WM_COMMAND,
                                        MAKEWPARAM(IDC_MANAGE_ADD, BN_CLICKED), 0);
                           return true;
                       },
                       [&] {
                           HWND window = customAdd();
                           if (!window) return false;
                           ownedByManage = GetWindow(window, GW_OWNER) == dialog.Window();
                           SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/atom10.xml"));
                           PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED), 0);
                           return true;
                       },
                       WhenFilled(dialog, 2)});
    EXPECT_TRUE(ownedByManage);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Stored(2, L"title"), L"Atom One");
}

// ---- OPML import and export ----------------------------------------------------

struct DialogSearch {
    const std::function<bool(HWND)>* test;
    HWND found;
};

BOOL CALLBACK TakeMatchingDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") || !IsWindowVisible(window) || !(*search->test)(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

// A shown dialog of this thread that passes the test.
HWND ThreadDialog(const std::function<bool(HWND)>& test) {
    DialogSearch search = {&test, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &TakeMatchingDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The system's open or save dialog that owner opened.
HWND FileDialogOf(HWND owner) {
    return ThreadDialog([owner](HWND window) {
        return GetWindow(window, GW_OWNER) == owner && GetDlgItem(window, IDOK);
    });
}

// Types path into the file dialog of owner and confirms it.
Script::Step ChooseFile(ManageFeedsDialog& dialog, const std::wstring& path) {
    return [&dialog, path] {
        HWND box = FileDialogOf(dialog.Window());
        if (!box) return false;
        // The name box of the explorer-style dialog, or of the older one.
        HWND name = GetDlgItem(box, cmb13);
        if (!name) name = GetDlgItem(box, edt1);
        if (!name) return false;
        SetWindowTextW(name, path.c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    };
}

Script::Step Press(ManageFeedsDialog& dialog, int id) {
    return [&dialog, id] {
        PostMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return true;
    };
}

RECT ControlRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(ManageDialogsTest, ImportAndExportGoThroughTheFileDialogsAndSayHowItWent) {
    Seed(2);
    ScratchFile list;
    std::wstring first = ServerUrl(L"/feeds/rss20.xml?tag=manage-import");
    std::wstring second = ServerUrl(L"/feeds/atom10.xml?tag=manage-import");
    auto ascii = [](const std::wstring& text) { return std::string(text.begin(), text.end()); };
    WriteBytes(list.Path(),
               "<opml version=\"1.0\"><body><outline text=\"Known\" "
               "xmlUrl=\"http://feeds.invalid/1.xml\"/><outline text=\"Folder\">"
               "<outline text=\"First\" xmlUrl=\"" +
                   ascii(first) +
                   "\"/>"
                   "<outline text=\"Second\" xmlUrl=\"" +
                   ascii(second) +
                   "\"/>"
                   "</outline></body></opml>");
    ScratchFile exported;
    std::wstring imported, written;
    bool clear = false;
    ManageFeedsDialog dialog(&Button());
    RunManage(dialog, {WhenFilled(dialog, 2),
                       [&] {
                           // Beside the existing controls, inside the same dialog.
                           HWND window = dialog.Window();
                           RECT client = {}, both = {}, overlap = {};
                           GetClientRect(window, &client);
                           RECT import = ControlRect(window, IDC_IMPORT);
                           RECT export_ = ControlRect(window, IDC_EXPORT);
                           clear = IntersectRect(&both, &import, &client) &&
                                   EqualRect(&both, &import) &&
                                   IntersectRect(&both, &export_, &client) &&
                                   EqualRect(&both, &export_);
                           for (int id : {IDC_MANAGE_LIST, IDC_REMOVE, IDC_MANAGE_ADD}) {
                               RECT other = ControlRect(window, id);
                               clear = clear && !IntersectRect(&overlap, &other, &import) &&
                                       !IntersectRect(&overlap, &other, &export_);
                           }
                           return true;
                       },
                       Press(dialog, IDC_IMPORT), ChooseFile(dialog, list.Path()),
                       AnswerConfirmation(IDOK, &imported), WhenFilled(dialog, 4),
                       Press(dialog, IDC_EXPORT), ChooseFile(dialog, exported.Path()),
                       // The scratch file exists: the dialog asks before replacing it.
                       [] {
                           HWND box = ThreadDialog([](HWND w) { return GetDlgItem(w, IDYES); });
                           if (!box) return false;
                           PostMessageW(box, WM_COMMAND, IDYES, 0);
                           return true;
                       },
                       AnswerConfirmation(IDOK, &written)});
    EXPECT_TRUE(clear);
    EXPECT_EQ(imported, L"已导入2个RSS订阅，另有1个您已订阅过。");
    EXPECT_EQ(written, L"已导出4个RSS订阅。");
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(Stored(3, L"title"), L"First");
    EXPECT_EQ(Stored(4, L"xmlUrl"), second);
    EXPECT_EQ(CountOf(exported.Bytes(), "<outline type=\"rss\""), 4);
    // The new ones are fetched in the background, once each.
    EXPECT_TRUE(
        PumpUntil([&] { return Exists(FeedCachePath(3)) && Exists(FeedCachePath(4)); }, 30000));
    EXPECT_EQ(CountOf(RecordedRequests(L"manage-import"), "\"path\""), 2);
}

}  // namespace

// ---- opening through the plug-in --------------------------------------------

TEST(ManageDialogWiringTest, MenuCommand769RunsTheManageDialogOwnedByTheToolbar) {
    ClearDataFolder();
    HostToolbar host;
    ASSERT_TRUE(host.Create());
    ASSERT_TRUE(host.LoadPlugin(BuildPath("button/rssbutton.dll")));
    host.Send(kCodePlaced);
    HWND owner = nullptr;
    bool hadRows = true;
    {
        Script script({[&] {
            HWND window = FindDialog(L"管理RSS订阅");
            if (!window) return false;
            owner = GetWindow(window, GW_OWNER);
            hadRows = RowCount(GetDlgItem(window, IDC_MANAGE_LIST)) != 0;
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return true;
        }});
        // Returns once the dialog is closed.
        host.Send(kCodeCommand, 769);
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_EQ(owner, host.Frame());
    EXPECT_FALSE(hadRows);
    EXPECT_EQ(FindDialog(L"管理RSS订阅"), nullptr);
    host.Send(kCodeUnload);
}

// The browser may unload the button while the manage dialog, and the
// custom-add dialog it opened, run their loops inside the host's command
// call: both end, the call returns, and the host can place a new button.
TEST(ManageDialogWiringTest, UnloadingDuringTheModalDialogsEndsThemAndReturns) {
    ClearDataFolder();
    HostToolbar host;
    ASSERT_TRUE(host.Create());
    ASSERT_TRUE(host.LoadPlugin(BuildPath("button/rssbutton.dll")));
    host.Send(kCodePlaced);
    bool unloaded = false;
    {
        Script script({[&] {
                           HWND window = FindDialog(L"管理RSS订阅");
                           if (!window) return false;
                           PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_MANAGE_ADD, BN_CLICKED),
                                        0);
                           return true;
                       },
                       [&] {
                           if (!FindDialog(L"自定义添加RSS订阅")) return false;
                           unloaded = true;
                           host.Send(kCodeUnload);
                           return true;
                       }});
        host.Send(kCodeCommand, 769);
        EXPECT_TRUE(script.Finished());
        EXPECT_FALSE(script.TimedOut());
    }
    // Both loops ended at the unload, not at the script's deadline.
    ASSERT_TRUE(unloaded);
    EXPECT_EQ(FindDialog(L"管理RSS订阅"), nullptr);
    EXPECT_EQ(FindDialog(L"自定义添加RSS订阅"), nullptr);

    // A fresh button for the same host works as before.
    host.Send(kCodePlaced);
    {
        Script script({[&] {
            HWND window = FindDialog(L"管理RSS订阅");
            if (!window) return false;
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return true;
        }});
        host.Send(kCodeCommand, 769);
        EXPECT_TRUE(script.Finished());
    }
    host.Send(kCodeUnload);
}
