// The dialog framework: templates 102 and 103, the object slot, centring,
// modal endings, the dialog worker's cancel and the add dialogs' feed loading.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "FeedTestSupport.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWorker.h"
#include "dialogs/LoadedFeed.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedFetcher.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"
#include "support/ThreadWatch.h"

using namespace dialogtest;
using namespace feedtest;

namespace {

// The bare framework on a template: counts the hooks and obeys a veto.
class ProbeDialog : public DialogBase {
public:
    ProbeDialog(RssButton* button, int templateId) : DialogBase(button, templateId) {}
    int oks = 0;
    int cancels = 0;
    bool agree = true;

protected:
    bool OnOk() override {
        ++oks;
        return agree;
    }
    bool OnCancel() override {
        ++cancels;
        return agree;
    }
};

RECT DialogUnits(HWND dialog, int width, int height) {
    RECT rect = {0, 0, width, height};
    MapDialogRect(dialog, &rect);
    return rect;
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT WorkArea() {
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

struct ControlText {
    int id;
    const wchar_t* text;
};

void ExpectControls(HWND dialog, std::initializer_list<ControlText> controls) {
    for (const ControlText& control : controls) {
        ASSERT_NE(GetDlgItem(dialog, control.id), nullptr) << control.id;
        EXPECT_EQ(Text(dialog, control.id), control.text) << control.id;
    }
}

class DialogFrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDataFolder();
        ServerGet(L"/_reset");
        scene_.reset(new ButtonOnHost());
        ASSERT_TRUE(scene_->Created());
    }
    void TearDown() override { scene_.reset(); }
    RssButton* Button() { return &scene_->Button(); }
    HWND Owner() { return scene_->Host().Frame(); }

    std::unique_ptr<ButtonOnHost> scene_;
};

TEST_F(DialogFrameworkTest, CustomAddTemplateHasItsControlsSizeAndFont) {
    ProbeDialog probe(Button(), IDD_CUSTOM_ADD);
    HWND dialog = probe.CreateModeless(Owner());
    ASSERT_NE(dialog, nullptr);
    wchar_t caption[64] = L"";
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, L"自定义添加RSS订阅");
    RECT client = {};
    GetClientRect(dialog, &client);
    RECT expected = DialogUnits(dialog, 266, 174);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);

    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"宋体");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);

    ExpectControls(dialog,
                   {{IDC_ADDRESS, L""},
                    {IDC_TITLE, L""},
                    {IDC_ADD, L"添加"},
                    {IDC_VERIFY, L"验证"},
                    {IDCANCEL, L"取消"},
                    {IDC_HEADER, L"自定义添加RSS订阅"},
                    {IDC_VERIFY_STATUS, L""},
                    {IDC_STATUS, L""},
                    {IDC_READER_CHECK, L"同时订阅到Pemba邮箱阅读空间，随时随地关注更新"},
                    {IDC_READER_HINT, L"提示：登录后可订阅到Pemba邮箱阅读空间，随时随地关注更新"}});
    EXPECT_NE(GetDlgItem(dialog, IDC_PICTURE), nullptr);
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDC_ADD);
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_VERIFY_STATUS), GWL_STYLE) & SS_RIGHT);
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_STATUS), GWL_STYLE) & SS_RIGHT);
    RECT check = WindowRect(GetDlgItem(dialog, IDC_READER_CHECK));
    RECT hint = WindowRect(GetDlgItem(dialog, IDC_READER_HINT));
    EXPECT_TRUE(EqualRect(&check, &hint));
}

TEST_F(DialogFrameworkTest, AddFeedTemplateHasItsControlsAndSize) {
    ProbeDialog probe(Button(), IDD_ADD_FEED);
    HWND dialog = probe.CreateModeless(Owner());
    ASSERT_NE(dialog, nullptr);
    wchar_t caption[64] = L"";
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, L"添加RSS订阅");
    RECT client = {};
    GetClientRect(dialog, &client);
    RECT expected = DialogUnits(dialog, 267, 151);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
    ExpectControls(dialog,
                   {{IDC_FEED_ADDRESS, L""},
                    {IDC_FEED_TITLE, L""},
                    {IDC_ADD_FEED, L"添加"},
                    {IDCANCEL, L"取消"},
                    {IDC_HEADER, L"添加该RSS订阅"},
                    {IDC_STATUS, L""},
                    {IDC_READER_CHECK, L"同时订阅到Pemba邮箱阅读空间，随时随地关注更新"},
                    {IDC_READER_HINT, L"提示：登录后可订阅到Pemba邮箱阅读空间，随时随地关注更新"}});
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_FEED_ADDRESS), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDC_ADD_FEED);
}

TEST_F(DialogFrameworkTest, ObjectSlotLastsFromInitToDestructionAndTheObjectIsReused) {
    ProbeDialog probe(Button(), IDD_ADD_FEED);
    HWND first = probe.CreateModeless(Owner());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(first, DWLP_USER), reinterpret_cast<LONG_PTR>(&probe));
    EXPECT_EQ(GetWindow(first, GW_OWNER), Owner());
    // Opening again only brings the same window forward.
    EXPECT_EQ(probe.CreateModeless(Owner()), first);

    SendMessageW(first, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(probe.IsOpen());
    EXPECT_EQ(probe.cancels, 1);
    HWND second = probe.CreateModeless(Owner());
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(probe.IsOpen());
}

TEST_F(DialogFrameworkTest, CentresOverTheShownOwnerAndOverTheWorkAreaWhenItIsHidden) {
    RECT area = WorkArea();
    MoveWindow(Owner(), 300, 400, 600, 400, TRUE);
    {
        ProbeDialog probe(Button(), IDD_CUSTOM_ADD);
        HWND dialog = probe.CreateModeless(Owner());
        POINT dialogCentre = Centre(WindowRect(dialog));
        POINT ownerCentre = Centre(WindowRect(Owner()));
        EXPECT_NEAR(dialogCentre.x, ownerCentre.x, 1);
        EXPECT_NEAR(dialogCentre.y, ownerCentre.y, 1);
    }
    scene_->Host().ShowFrame(false);
    {
        ProbeDialog probe(Button(), IDD_CUSTOM_ADD);
        HWND dialog = probe.CreateModeless(Owner());
        POINT dialogCentre = Centre(WindowRect(dialog));
        POINT areaCentre = Centre(area);
        EXPECT_NEAR(dialogCentre.x, areaCentre.x, 1);
        EXPECT_NEAR(dialogCentre.y, areaCentre.y, 1);
    }
}

TEST_F(DialogFrameworkTest, CentringKeepsTheWindowInsideTheWorkArea) {
    ProbeDialog probe(Button(), IDD_ADD_FEED);
    HWND dialog = probe.CreateModeless(Owner());
    RECT area = WorkArea();
    RECT corner = {area.right - 20, area.bottom - 20, area.right + 20, area.bottom + 20};
    CentreWindowIn(dialog, corner, area);
    RECT placed = WindowRect(dialog);
    EXPECT_EQ(placed.right, area.right);
    EXPECT_EQ(placed.bottom, area.bottom);
    RECT before = {area.left - 50, area.top - 50, area.left, area.top};
    CentreWindowIn(dialog, before, area);
    placed = WindowRect(dialog);
    EXPECT_EQ(placed.left, area.left);
    EXPECT_EQ(placed.top, area.top);
}

// Steps that a thread timer performs inside a modal loop.
std::function<void()> g_modalStep;
void CALLBACK RunModalStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_modalStep) g_modalStep();
}

INT_PTR RunModalWith(DialogBase& dialog, HWND owner, std::function<void()> step) {
    g_modalStep = std::move(step);
    UINT_PTR timer = SetTimer(nullptr, 0, 30, &RunModalStep);
    INT_PTR code = dialog.RunModal(owner);
    KillTimer(nullptr, timer);
    g_modalStep = nullptr;
    return code;
}

TEST_F(DialogFrameworkTest, ModalOkAndCancelEndWithOneAndTwoOnceTheHookAgrees) {
    ProbeDialog probe(Button(), IDD_ADD_FEED);
    probe.agree = false;
    INT_PTR code = RunModalWith(probe, Owner(), [&] {
        if (!probe.Window()) return;
        if (probe.oks < 2) {
            SendMessageW(probe.Window(), WM_COMMAND, IDOK, 0);
            if (probe.oks == 2) probe.agree = true;
            return;
        }
        SendMessageW(probe.Window(), WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(probe.oks, 3);
    EXPECT_FALSE(probe.IsOpen());

    code = RunModalWith(probe, Owner(), [&] {
        if (probe.Window()) SendMessageW(probe.Window(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(code, 2);
    EXPECT_EQ(probe.cancels, 1);
}

TEST_F(DialogFrameworkTest, StoppingAWorkerCancelsItsDownloadBeforeTheWaitEnds) {
    volatile LONG sawCancel = 0;
    ScratchFile file;
    std::wstring address = ServerUrl(L"/_feed?items=400&drip=40&tag=dripping");
    DialogWorker worker([&](const DownloadGuard& guard) {
        int fetched = FetchFeed(address.c_str(), file.Path(), guard);
        InterlockedExchange(&sawCancel, guard.Cancelled() ? 1 : 0);
        return fetched;
    });
    ThreadWatch threads;
    ASSERT_TRUE(worker.Begin());
    threads.HoldNewThreads();
    ASSERT_TRUE(PumpUntil([] { return CountOf(RecordedRequests(L"dripping"), "\"path\"") > 0; }));
    ASSERT_TRUE(worker.IsRunning());
    worker.End();
    // Ended by itself once cancelled, not cut off when the wait ran out.
    EXPECT_EQ(sawCancel, 1);
    EXPECT_EQ(threads.Terminated(), 0);
    EXPECT_FALSE(worker.IsRunning());
    // The same worker runs again with a fresh flag.
    ASSERT_TRUE(worker.Begin());
    worker.End();
}

TEST_F(DialogFrameworkTest, LoadedFeedsOfTheSameNumberKeepTheirOwnCaches) {
    LoadedFeed news(-1);
    LoadedFeed atom(-1);
    ASSERT_EQ(news.Load(ServerUrl(L"/feeds/rss20.xml").c_str(), DownloadGuard()),
              LoadOutcome::kLoaded);
    ASSERT_EQ(atom.Load(ServerUrl(L"/feeds/atom10.xml").c_str(), DownloadGuard()),
              LoadOutcome::kLoaded);
    EXPECT_EQ(news.Title(), L"Tom & Jerry's <News>");
    EXPECT_EQ(atom.Title(), L"Atom One");
    EXPECT_FALSE(Exists(DialogDownloadPath(-1)));

    std::wstring rssIni = DataFile(L"rss.ini");
    EXPECT_EQ(news.Append(rssIni.c_str(), L"n", L"http://n/", 100), 1);
    EXPECT_EQ(atom.Append(rssIni.c_str(), L"a", L"http://a/", 200), 2);
    EXPECT_EQ(IniValue(rssIni, L"rss1", L"htmlUrl"), L"http://example.org/news/");
    EXPECT_EQ(IniValue(FeedCachePath(1), L"main", L"title"), L"Tom & Jerry's <News>");
    EXPECT_EQ(IniValue(rssIni, L"rss2", L"htmlUrl"), L"http://example.org/atom.xml");
    EXPECT_EQ(IniValue(FeedCachePath(2), L"main", L"title"), L"Atom One");
    EXPECT_FALSE(news.IsLoaded());
}

TEST_F(DialogFrameworkTest, FailedLoadsAreToldApartAndAdoptNoStaleCache) {
    LoadedFeed feed(0);
    EXPECT_EQ(feed.Load(ServerUrl(L"/feeds/none.xml").c_str(), DownloadGuard()),
              LoadOutcome::kDownloadFailed);
    EXPECT_EQ(feed.Load(ServerUrl(L"/feeds/not_a_feed.html").c_str(), DownloadGuard()),
              LoadOutcome::kParseFailed);
    EXPECT_FALSE(feed.IsLoaded());
    EXPECT_FALSE(Exists(DialogDownloadPath(0)));

    // A cache 0 that another load left behind is not taken for this feed.
    LoadedFeed other(0);
    ASSERT_EQ(other.Load(ServerUrl(L"/feeds/rss20.xml").c_str(), DownloadGuard()),
              LoadOutcome::kLoaded);
    std::wstring rssIni = DataFile(L"rss.ini");
    feed.Append(rssIni.c_str(), L"t", L"http://t/", 1);
    EXPECT_EQ(IniValue(rssIni, L"rss1", L"htmlUrl"), L"");
    EXPECT_FALSE(Exists(FeedCachePath(1)));
}

}  // namespace
