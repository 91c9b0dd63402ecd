// Refreshes against servers that misbehave: a body without end, a drip of one
// byte a second, 304 and 500 answers with bodies, a redirect loop, a reply
// cut half way, a 40 MiB feed, and a server that stalls while the user opens
// the menu. Each refresh ends by itself, keeps the previous cache, is stamped
// as a failed refresh is, and leaves the caller's thread free meanwhile.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "ButtonSceneSupport.h"
#include "core/MenuCommand.h"
#include "feeds/ReadMarks.h"
#include "feeds/SubscriptionRefresh.h"
#include "feeds/SubscriptionStore.h"
#include "support/FuzzRun.h"
#include "web/HttpClient.h"

using namespace feedtest;

namespace {

// Shortened from the product's 30 s for the in-process cases.
constexpr DWORD kTestTimeLimitMs = 4000;

struct Hostile {
    const wchar_t* path;
    const char* what;
    // Only the time limit ends it: the browser's thread has that long to show
    // that the refresh does not hold it.
    bool endsByTheLimit;
};

long UpdTime(int number) {
    return ReadIniNumber(scene::RssIni().c_str(), NumberedSection(L"rss", number).c_str(),
                         L"updTime", -1);
}

std::wstring TempFolderPath() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

std::set<std::wstring> WithoutAbandoned(std::set<std::wstring> names) {
    for (auto it = names.begin(); it != names.end();)
        it = it->compare(0, 2, L"_d") == 0 ? names.erase(it) : std::next(it);
    return names;
}

class HostileServerTest : public ::testing::Test {
protected:
    void TearDown() override { ClearDataFolder(); }
};

TEST_F(HostileServerTest, EachHostileAnswerEndsInTimeKeepsTheCacheAndIsStamped) {
    const Hostile cases[] = {
        {L"/_endless", "body without end", true},
        {L"/feeds/rss20.xml?drip=1000&piece=1", "one byte a second", true},
        {L"/feeds/rss20.xml?status=304", "304 with a body", false},
        {L"/feeds/rss20.xml?status=500", "500 with a body", false},
        {L"/_loop", "redirect loop", false},
        {L"/feeds/rss20.xml?cut=300", "closed half way", false},
        {L"/_feed?items=100000&pad=400", "40 MiB feed", false},
    };
    std::wstring temp = TempFolderPath();
    std::wstring history = scene::HistoryIni();
    for (const Hostile& hostile : cases) {
        SCOPED_TRACE(hostile.what);
        scene::WriteStore({{L"Feed", ServerUrl(hostile.path), L"", 1000}});
        scene::WriteCache(1, 4);
        std::string cache = ReadBytes(FeedCachePath(1));
        std::set<std::wstring> tempBefore = FolderFiles(temp);
        LONG started = CurrentUpdTime();

        std::atomic<bool> done{false};
        int parsed = -1;
        DWORD began = GetTickCount();
        std::thread refresh([&] {
            parsed = RefreshSubscription(scene::RssIni().c_str(), 1, nullptr, kTestTimeLimitMs);
            done = true;
        });
        // The browser's thread keeps marking items while the refresh runs.
        int marksDuring = 0;
        DWORD longestMark = 0;
        for (int k = 0; !done && GetTickCount() - began < 4 * kPatienceMs; ++k) {
            DWORD before = GetTickCount();
            MarkItemRead(history.c_str(), 1, scene::ItemLink(1, k % 4 + 1).c_str());
            longestMark = std::max(longestMark, GetTickCount() - before);
            if (!done) ++marksDuring;
            Sleep(20);
        }
        // A refresh that never ends fails here rather than stalling the run.
        ASSERT_TRUE(done);
        refresh.join();
        DWORD took = GetTickCount() - began;

        // A refresh holding the store while it downloads would let no mark
        // through before its end.
        if (hostile.endsByTheLimit) {
            EXPECT_GT(marksDuring, 0);
        }
        EXPECT_EQ(parsed, 0);
        EXPECT_EQ(ReadBytes(FeedCachePath(1)), cache);
        EXPECT_GE(UpdTime(1), started);
        // No download left behind. A system download given up on ("_d")
        // deletes its own file when its server next sends or closes, which a
        // drip may put off past the end of this test.
        EXPECT_EQ(WithoutAbandoned(FolderFiles(temp)), WithoutAbandoned(tempBefore));
        printf("%s: %lu ms, %d marks meanwhile, the longest %lu ms\n", hostile.what,
               static_cast<unsigned long>(took), marksDuring,
               static_cast<unsigned long>(longestMark));
    }
}

TEST_F(HostileServerTest, AReplyCutHalfWayIsNoReply) {
    HttpClient client;
    ASSERT_EQ(client.Connect(ServerHost().c_str(), 80, 0), 0u);
    ASSERT_EQ(client.OpenRequest(L"GET", L"/feeds/rss20.xml?cut=100", nullptr, 0, true), 0u);
    ASSERT_EQ(client.Send(nullptr, 0), 0u);
    std::string body;
    EXPECT_NE(client.ReadToMemory(body), 0u);
    EXPECT_LE(body.size(), 100u);
}

// The real plug-in, with the product's own limits: its background refresh of
// a body without end leaves the browser's thread free for the icon and the
// menu, and a stalled server while the menu is built holds it only until the
// menu gives up on it.
TEST_F(HostileServerTest, TheBrowsersThreadIsNeverHeldByAHostileServer) {
    scene::WriteStore({{L"Endless", ServerUrl(L"/_endless"), L"", 1000},
                       {L"Good", ServerUrl(L"/feeds/rss20.xml"), L"", 1000}});
    scene::WriteCache(1, 4);
    scene::WriteCache(2, 3);
    std::string cache = ReadBytes(FeedCachePath(1));
    scene::Scene scene;
    ASSERT_TRUE(scene.Ok());
    LONG started = CurrentUpdTime();
    DWORD began = GetTickCount();
    scene.Host().Send(kCodeCommand, kCmdRefreshAll);
    DWORD longest = 0;
    int menusDuring = 0;
    while (scene.Notifications().size() < 2 && GetTickCount() - began < 4 * kPatienceMs) {
        DWORD before = GetTickCount();
        scene.Host().QueryIcon();
        scene.Menu();
        longest = std::max(longest, GetTickCount() - before);
        if (scene.Notifications().size() < 2) ++menusDuring;
        scene.Host().Pump(50);
    }
    DWORD refreshTook = GetTickCount() - began;
    ASSERT_EQ(scene.Notifications().size(), 2u);
    EXPECT_GT(menusDuring, 0);
    EXPECT_EQ(ReadBytes(FeedCachePath(1)), cache);
    EXPECT_GE(UpdTime(1), started);
    EXPECT_GE(UpdTime(2), started);
    printf("background refresh of a body without end: %lu ms, browser thread held %lu ms at most\n",
           static_cast<unsigned long>(refreshTook), static_cast<unsigned long>(longest));

    // A subscription without cache is fetched while the menu is built; the
    // menu gives up on it before the server answers (no cache), and stamps it.
    scene::WriteStore({{L"Stalled", ServerUrl(L"/feeds/rss20.xml?delay=30"), L"", 1000}});
    began = GetTickCount();
    std::vector<MenuEntry> menu = scene.Menu();
    DWORD menuTook = GetTickCount() - began;
    EXPECT_FALSE(Exists(FeedCachePath(1)));
    EXPECT_GE(UpdTime(1), started);
    printf("menu over a stalled server: %lu ms\n", static_cast<unsigned long>(menuTook));
}

}  // namespace
