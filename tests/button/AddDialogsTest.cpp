// The add-this-feed and custom-add dialogs driven like a user drives them,
// loading from the local test server, with the store checked afterwards.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "FeedTestSupport.h"
#include "core/AddedTip.h"
#include "dialogs/AddFeedDialog.h"
#include "dialogs/CustomAddDialog.h"
#include "feeds/FeedCache.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"
#include "support/ThreadWatch.h"

using namespace dialogtest;
using namespace feedtest;

namespace {

const wchar_t kNewsTitle[] = L"Tom & Jerry's <News>";
const std::wstring k30(30, L'题');
const std::wstring k31(31, L'题');

// Its load runs out when the test says so (a WM_TIMER of kLoadTimer), and it
// counts the reports its worker sends the window.
class ObservedAddFeedDialog : public AddFeedDialog {
public:
    using AddFeedDialog::AddFeedDialog;
    int Reports() const { return reports_; }

protected:
    DWORD LoadTimeout() const override { return kPatienceMs; }
    bool ProcessMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        INT_PTR* result) override {
        if (message >= WM_APP && message <= 0xBFFF) ++reports_;
        return AddFeedDialog::ProcessMessage(window, message, wParam, lParam, result);
    }

private:
    int reports_ = 0;
};

class AddDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { Start(true); }
    void TearDown() override { scene_.reset(); }

    void Start(bool loggedIn) {
        scene_.reset();
        ClearDataFolder();
        ServerGet(L"/_reset");
        TheAddedTip().Destroy();
        scene_.reset(new ButtonOnHost(loggedIn));
        ASSERT_TRUE(scene_->Created());
    }
    RecordingButton& Button() { return scene_->Button(); }
    std::wstring RssIni() { return Button().RssIniPath(); }
    std::wstring Stored(int n, const wchar_t* key) {
        return IniValue(RssIni(), NumberedSection(L"rss", n).c_str(), key);
    }
    int Count() { return ReadCount(RssIni().c_str(), -1); }
    bool TipShown() {
        return TheAddedTip().Window() && StringResource(IDS_ADDED) == TheAddedTip().Text();
    }

    std::unique_ptr<ButtonOnHost> scene_;
};

// ---- add this feed (103) ---------------------------------------------------

// Closes the dialog as the user does; the number of its threads that had to
// be terminated rather than ending by themselves once cancelled.
int CloseAndCountTerminated(HWND window, ThreadWatch& threads) {
    threads.HoldNewThreads();
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return threads.Terminated();
}

// Waits until the test server has received a request tagged tag: the
// download is under way.
bool ServerReceived(const wchar_t* tag) {
    return PumpUntil([&] { return CountOf(RecordedRequests(tag), "\"path\"") > 0; });
}

// Waits until the clock of the store's stamps has passed second.
void WaitForTheSecondAfter(LONG second) {
    PumpUntil([&] { return CurrentUpdTime() > second; });
}

bool Loaded(HWND dialog) {
    return Enabled(dialog, IDC_ADD_FEED);
}

TEST_F(AddDialogsTest, AddFeedLoadsTheTitleAndAppendsWithTheLoadTime) {
    AddFeedDialog dialog(&Button());
    std::wstring address = ServerUrl(L"/feeds/rss20.xml");
    HWND window = dialog.Open(address.c_str());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window, IDC_FEED_ADDRESS), address);
    EXPECT_FALSE(Enabled(window, IDC_ADD_FEED));
    EXPECT_FALSE(Enabled(window, IDC_FEED_TITLE));
    EXPECT_EQ(Text(window, IDC_STATUS), StringResource(IDS_LOADING_TITLE));
    LOGFONTW header = {};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_HEADER, WM_GETFONT, 0, 0)),
               sizeof header, &header);
    EXPECT_EQ(header.lfWeight, 700);

    LONG opened = CurrentUpdTime();
    ASSERT_TRUE(PumpUntil([&] { return Loaded(window); }));
    LONG loadedAt = CurrentUpdTime();
    EXPECT_EQ(Text(window, IDC_FEED_TITLE), kNewsTitle);
    EXPECT_EQ(Text(window, IDC_STATUS), L"");
    EXPECT_TRUE(Enabled(window, IDC_FEED_TITLE));
    // Opening again keeps what the window shows.
    EXPECT_EQ(dialog.Open(ServerUrl(L"/feeds/atom10.xml").c_str()), window);
    EXPECT_EQ(Text(window, IDC_FEED_ADDRESS), address);

    // Added a second after loading: the stamp must be the load's.
    WaitForTheSecondAfter(loadedAt);
    Click(window, IDC_ADD_FEED);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"title"), kNewsTitle);
    EXPECT_EQ(Stored(1, L"xmlUrl"), address);
    EXPECT_EQ(Stored(1, L"htmlUrl"), L"http://example.org/news/");
    EXPECT_GE(std::stol(Stored(1, L"updTime")), opened);
    EXPECT_LE(std::stol(Stored(1, L"updTime")), loadedAt);
    EXPECT_EQ(IniValue(FeedCachePath(1), L"main", L"title"), kNewsTitle);
    EXPECT_TRUE(TipShown());
    // Logged in with the box ticked: the reader is asked once.
    EXPECT_EQ(Button().ReaderCalls(), std::vector<std::wstring>{address});
}

TEST_F(AddDialogsTest, AddFeedRefusesThirtyOneCharactersAndTakesTheCorrectedTitle) {
    AddFeedDialog dialog(&Button());
    HWND window = dialog.Open(ServerUrl(L"/feeds/atom10.xml").c_str());
    ASSERT_TRUE(PumpUntil([&] { return Loaded(window); }));
    SetText(window, IDC_FEED_TITLE, k31);
    Click(window, IDC_ADD_FEED);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(Text(window, IDC_STATUS), StringResource(IDS_TITLE_TOO_LONG));
    EXPECT_EQ(Count(), 0);
    EXPECT_FALSE(TipShown());

    SetText(window, IDC_FEED_TITLE, k30);
    Click(window, IDC_ADD_FEED);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"title"), k30);
}

TEST_F(AddDialogsTest, AddFeedTellsDownloadAndParseFailuresApart) {
    AddFeedDialog missing(&Button());
    HWND window = missing.Open(ServerUrl(L"/feeds/none.xml").c_str());
    ASSERT_TRUE(
        PumpUntil([&] { return Text(window, IDC_STATUS) != StringResource(IDS_LOADING_TITLE); }));
    EXPECT_EQ(Text(window, IDC_STATUS), StringResource(IDS_ADD_FAILED));
    EXPECT_FALSE(Enabled(window, IDC_ADD_FEED));
    EXPECT_EQ(Text(window, IDC_FEED_TITLE), L"");
    // Whatever reaches the button, nothing is added.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_ADD_FEED, BN_CLICKED), 0);
    EXPECT_EQ(Count(), 0);

    AddFeedDialog page(&Button());
    HWND second = page.Open(ServerUrl(L"/feeds/not_a_feed.html").c_str());
    ASSERT_TRUE(
        PumpUntil([&] { return Text(second, IDC_STATUS) != StringResource(IDS_LOADING_TITLE); }));
    EXPECT_EQ(Text(second, IDC_STATUS), StringResource(IDS_PARSE_FAILED));
    EXPECT_FALSE(Enabled(second, IDC_ADD_FEED));
}

TEST_F(AddDialogsTest, AddFeedGivesUpOnAServerThatDoesNotAnswerInTime) {
    ObservedAddFeedDialog dialog(&Button());
    HWND window = dialog.Open(ServerUrl(L"/feeds/rss20.xml?delay=2").c_str());
    // The load's time runs out while the server still holds the answer back.
    SendMessageW(window, WM_TIMER, AddFeedDialog::kLoadTimer, 0);
    EXPECT_EQ(Text(window, IDC_STATUS), StringResource(IDS_PARSE_FAILED));
    EXPECT_FALSE(Enabled(window, IDC_ADD_FEED));
    // The late answer reaches the window and changes nothing.
    ASSERT_TRUE(PumpUntil([&] { return dialog.Reports() > 0; }));
    EXPECT_EQ(Text(window, IDC_STATUS), StringResource(IDS_PARSE_FAILED));
    EXPECT_EQ(Text(window, IDC_FEED_TITLE), L"");
    EXPECT_FALSE(Enabled(window, IDC_ADD_FEED));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Count(), 0);
}

TEST_F(AddDialogsTest, AddFeedLoggedOutShowsTheHintAndAsksNoReader) {
    Start(false);
    AddFeedDialog dialog(&Button());
    HWND window = dialog.Open(ServerUrl(L"/feeds/rss20.xml").c_str());
    EXPECT_TRUE(Shown(window, IDC_READER_HINT));
    EXPECT_FALSE(Shown(window, IDC_READER_CHECK));
    ASSERT_TRUE(PumpUntil([&] { return Loaded(window); }));
    Click(window, IDC_ADD_FEED);
    EXPECT_EQ(Count(), 1);
    EXPECT_TRUE(Button().ReaderCalls().empty());
}

TEST_F(AddDialogsTest, AddFeedClosedWhileDownloadingEndsQuicklyAndWritesNothing) {
    ThreadWatch threads;
    AddFeedDialog dialog(&Button());
    HWND window = dialog.Open(ServerUrl(L"/_feed?items=400&drip=40&tag=dripping").c_str());
    ASSERT_TRUE(ServerReceived(L"dripping"));
    // Cancelled, the download ends by itself within the worker's wait.
    EXPECT_EQ(CloseAndCountTerminated(window, threads), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Count(), 0);
    EXPECT_FALSE(Exists(FeedCachePath(-1)));

    // The object opens a new window that loads as before.
    window = dialog.Open(ServerUrl(L"/feeds/rss20.xml").c_str());
    ASSERT_TRUE(PumpUntil([&] { return Loaded(window); }));
    EXPECT_EQ(Text(window, IDC_FEED_TITLE), kNewsTitle);
}

TEST_F(AddDialogsTest, TwoAddFeedDialogsLoadingWithTheSameNumberAddTheirOwnFeeds) {
    ButtonOnHost other;
    AddFeedDialog first(&Button());
    AddFeedDialog second(&other.Button());
    HWND one = first.Open(ServerUrl(L"/feeds/rss20.xml").c_str());
    HWND two = second.Open(ServerUrl(L"/feeds/atom10.xml").c_str());
    ASSERT_TRUE(PumpUntil([&] { return Loaded(one) && Loaded(two); }));
    Click(two, IDC_ADD_FEED);
    Click(one, IDC_ADD_FEED);
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Stored(1, L"title"), L"Atom One");
    EXPECT_EQ(Stored(1, L"htmlUrl"), L"http://example.org/atom.xml");
    EXPECT_EQ(Stored(2, L"title"), kNewsTitle);
    EXPECT_EQ(Stored(2, L"htmlUrl"), L"http://example.org/news/");
    EXPECT_EQ(IniValue(FeedCachePath(2), L"main", L"title"), kNewsTitle);
}

// ---- custom add (102) ------------------------------------------------------

bool Idle(HWND dialog) {
    return Enabled(dialog, IDC_ADD) && Enabled(dialog, IDC_VERIFY);
}

TEST_F(AddDialogsTest, CustomAddStartsWithHttpSelectedAndNoTitle) {
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window, IDC_ADDRESS), L"http://");
    DWORD from = 0, to = 0;
    SendDlgItemMessageW(window, IDC_ADDRESS, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                        reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 7u);
    EXPECT_FALSE(Enabled(window, IDC_TITLE));
    EXPECT_TRUE(Shown(window, IDC_READER_CHECK));
    EXPECT_FALSE(Shown(window, IDC_READER_HINT));
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_READER_CHECK), static_cast<UINT>(BST_UNCHECKED));
}

TEST_F(AddDialogsTest, CustomAddVerifiesThenAddsWithTheAddTime) {
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    std::wstring address = ServerUrl(L"/feeds/rss20.xml?tag=once");
    SetText(window, IDC_ADDRESS, address);
    Click(window, IDC_VERIFY);
    EXPECT_FALSE(Enabled(window, IDC_ADD));
    ASSERT_TRUE(PumpUntil([&] { return Idle(window); }));
    EXPECT_EQ(Text(window, IDC_TITLE), kNewsTitle);
    EXPECT_TRUE(Enabled(window, IDC_TITLE));
    EXPECT_EQ(Text(window, IDC_VERIFY_STATUS), L"");

    LONG before = CurrentUpdTime();
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"xmlUrl"), address);
    EXPECT_EQ(Stored(1, L"title"), kNewsTitle);
    EXPECT_EQ(Stored(1, L"htmlUrl"), L"http://example.org/news/");
    EXPECT_GE(std::stol(Stored(1, L"updTime")), before);
    EXPECT_TRUE(TipShown());
    // Verified once: the add step did not load it again.
    EXPECT_EQ(CountOf(RecordedRequests(L"once"), "\"path\""), 1);
    // The box was not ticked.
    EXPECT_TRUE(Button().ReaderCalls().empty());
}

TEST_F(AddDialogsTest, CustomAddPutsHttpInFrontAndStoresTheCompletedAddress) {
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    std::wstring bare = ServerHost() + L"/feeds/atom10.xml";
    SetText(window, IDC_ADDRESS, bare);
    CheckDlgButton(window, IDC_READER_CHECK, BST_CHECKED);
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(Stored(1, L"xmlUrl"), L"http://" + bare);
    EXPECT_EQ(Stored(1, L"title"), L"Atom One");
    EXPECT_EQ(Button().ReaderCalls(), std::vector<std::wstring>{L"http://" + bare});
}

TEST_F(AddDialogsTest, CustomAddVerifiesAgainAfterTheAddressChanged) {
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/rss20.xml"));
    Click(window, IDC_VERIFY);
    ASSERT_TRUE(PumpUntil([&] { return Idle(window); }));
    EXPECT_EQ(Text(window, IDC_TITLE), kNewsTitle);

    // One character: rss20 becomes rss10.
    std::wstring changed = ServerUrl(L"/feeds/rss10.xml");
    SetText(window, IDC_ADDRESS, changed);
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(Stored(1, L"xmlUrl"), changed);
    EXPECT_EQ(Stored(1, L"title"), L"RDF Site");
    EXPECT_EQ(Stored(1, L"htmlUrl"), L"http://example.org/rdf");
}

TEST_F(AddDialogsTest, CustomAddTitleRuleRefusesThirtyOneAndAcceptsThirty) {
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/rss20.xml"));
    Click(window, IDC_VERIFY);
    ASSERT_TRUE(PumpUntil([&] { return Idle(window); }));
    SetText(window, IDC_TITLE, k31 + L"\r\n");
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return Idle(window); }));
    EXPECT_EQ(Text(window, IDC_STATUS), StringResource(IDS_TITLE_TOO_LONG));
    EXPECT_EQ(Count(), 0);

    // Line breaks count and are stored as blanks.
    SetText(window, IDC_TITLE, std::wstring(28, L'a') + L"\r\n");
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
    std::wstring stored = Stored(1, L"title");
    EXPECT_EQ(stored.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(stored.substr(0, 28), std::wstring(28, L'a'));
}

TEST_F(AddDialogsTest, CustomAddReportsBadAddressesAndStaysUsable) {
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    struct Case {
        std::wstring address;
        UINT text;
    } cases[] = {
        {L"   ", IDS_NO_ADDRESS},
        {ServerUrl(L"/feeds/none.xml"), IDS_FEED_UNAVAILABLE},
        {ServerUrl(L"/feeds/not_a_feed.html"), IDS_PARSE_FAILED},
    };
    for (const Case& bad : cases) {
        SetText(window, IDC_ADDRESS, bad.address);
        Click(window, IDC_VERIFY);
        ASSERT_TRUE(PumpUntil([&] { return Idle(window); }));
        EXPECT_EQ(Text(window, IDC_VERIFY_STATUS), StringResource(bad.text));
        EXPECT_EQ(Text(window, IDC_TITLE), L"");
        EXPECT_FALSE(Enabled(window, IDC_TITLE));
        // Adding verifies and fails the same way.
        Click(window, IDC_ADD);
        ASSERT_TRUE(PumpUntil([&] { return Idle(window); }));
        EXPECT_EQ(Text(window, IDC_VERIFY_STATUS), StringResource(bad.text));
    }
    EXPECT_EQ(Count(), 0);
}

TEST_F(AddDialogsTest, CustomAddWithoutACountTellsTheUserAndRepairsAMissingList) {
    std::wstring rssIni = RssIni();
    CreateUnicodeIniFile(rssIni.c_str());
    WritePrivateProfileStringW(L"main", L"other", L"1", rssIni.c_str());
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/rss20.xml"));
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return Idle(window); }));
    EXPECT_EQ(Text(window, IDC_STATUS), StringResource(IDS_ADD_FAILED));
    EXPECT_EQ(Stored(1, L"xmlUrl"), L"<missing>");

    DeleteFileW(rssIni.c_str());
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"title"), kNewsTitle);
}

TEST_F(AddDialogsTest, CustomAddLoggedOutShowsTheHintAndAsksNoReader) {
    Start(false);
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    EXPECT_TRUE(Shown(window, IDC_READER_HINT));
    EXPECT_FALSE(Shown(window, IDC_READER_CHECK));
    // A tick on the hidden box does not count.
    CheckDlgButton(window, IDC_READER_CHECK, BST_CHECKED);
    SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/rss20.xml"));
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
    EXPECT_TRUE(Button().ReaderCalls().empty());
}

TEST_F(AddDialogsTest, CustomAddClosedDuringVerifyOrAddEndsQuicklyAndWritesNothing) {
    ThreadWatch threads;
    CustomAddDialog dialog(&Button());
    for (int control : {IDC_VERIFY, IDC_ADD}) {
        ServerGet(L"/_reset");
        HWND window = dialog.Open();
        SetText(window, IDC_ADDRESS, ServerUrl(L"/_feed?items=400&drip=40&tag=dripping"));
        Click(window, control);
        ASSERT_TRUE(ServerReceived(L"dripping"));
        EXPECT_EQ(CloseAndCountTerminated(window, threads), 0) << control;
        EXPECT_FALSE(IsWindow(window));
    }
    EXPECT_EQ(Count(), 0);
    EXPECT_FALSE(TipShown());
}

TEST_F(AddDialogsTest, CustomAddClosedWhileTheServerKeepsItWaitingEndsAndWritesNothing) {
    ThreadWatch threads;
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/rss20.xml?delay=30&tag=withheld"));
    Click(window, IDC_ADD);
    ASSERT_TRUE(ServerReceived(L"withheld"));
    // The add thread leaves the withheld download behind and ends by itself.
    EXPECT_EQ(CloseAndCountTerminated(window, threads), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Count(), 0);

    // Downloads still work in this process afterwards.
    window = dialog.Open();
    SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/atom10.xml"));
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(Stored(1, L"title"), L"Atom One");
}

// Steps that a thread timer performs inside the modal loop.
std::function<void()> g_step;
void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_step) g_step();
}

TEST_F(AddDialogsTest, CustomAddRunsModallyAndEndsWith1002WhenItAdded) {
    HWND owner = scene_->Host().Frame();
    CustomAddDialog dialog(&Button());
    bool typed = false;
    g_step = [&] {
        if (!dialog.Window() || typed) return;
        typed = true;
        SetText(dialog.Window(), IDC_ADDRESS, ServerUrl(L"/feeds/rss20.xml"));
        Click(dialog.Window(), IDC_ADD);
    };
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &RunStep);
    INT_PTR code = dialog.OpenModal(owner);
    EXPECT_EQ(code, IDC_ADD);
    EXPECT_EQ(Count(), 1);
    EXPECT_TRUE(TipShown());

    g_step = [&] {
        if (dialog.Window()) Click(dialog.Window(), IDCANCEL);
    };
    code = dialog.OpenModal(owner);
    KillTimer(nullptr, timer);
    g_step = nullptr;
    EXPECT_EQ(code, IDCANCEL);
    EXPECT_EQ(Count(), 1);
}

}  // namespace

// ---- opening through the plug-in --------------------------------------------

TEST(AddDialogWiringTest, MenuCommandsAndThePressOpenOneCustomAddWindow) {
    ClearDataFolder();
    HostToolbar host;
    ASSERT_TRUE(host.Create());
    ASSERT_TRUE(host.LoadPlugin(BuildPath("button/rssbutton.dll")));
    host.Send(kCodePlaced);
    auto customAdd = [] { return FindWindowW(L"#32770", L"自定义添加RSS订阅"); };

    host.Send(kCodeCommand, 257);
    HWND window = customAdd();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), host.Frame());
    SetText(window, IDC_ADDRESS, L"typed");
    // Open already: the same window, with what it shows.
    host.Send(kCodeCommand, 257);
    host.Send(kCodePressed);
    host.Send(kCodeCommand, 513);
    EXPECT_EQ(customAdd(), window);
    EXPECT_EQ(Text(window, IDC_ADDRESS), L"typed");

    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(customAdd(), nullptr);
    // A page without feeds: the press opens a new custom-add window.
    host.Send(kCodePressed);
    window = customAdd();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window, IDC_ADDRESS), L"http://");

    host.Send(kCodeUnload);
    EXPECT_FALSE(IsWindow(window));
}
