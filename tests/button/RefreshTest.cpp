// Background refresh through the real plug-in in the host toolbar stand-in:
// the session mutex, the stale rule, the stamps, the stale-refresh timer,
// the host notifications and a button destroyed while it downloads.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "ButtonSceneSupport.h"
#include "core/MenuCommand.h"
#include "feeds/SubscriptionStore.h"
#include "support/ChildProcess.h"
#include "support/ThreadWatch.h"

using scene::Scene;

namespace {

// Child: holds the refresh mutex until the test sets the release event.
int HoldRefreshMutex(const std::wstring&) {
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, scene::kReleaseEvent);
    if (!release) return 2;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, scene::kRefreshMutex);
    DWORD error = GetLastError();
    WaitForSingleObject(release, 4 * kPatienceMs);
    if (mutex) CloseHandle(mutex);
    CloseHandle(release);
    return mutex && error != ERROR_ALREADY_EXISTS ? 0 : 3;
}
CHILD_ROLE(L"hold-refresh-mutex", HoldRefreshMutex);

// Another process refreshing: the mutex held by a child until Release.
class OtherRefresh {
public:
    OtherRefresh() {
        release_ = CreateEventW(nullptr, TRUE, FALSE, scene::kReleaseEvent);
        child_ = std::thread(
            [this] { result_ = RunChildRole(L"hold-refresh-mutex", L"", L"", 5 * kPatienceMs); });
        WaitUntil([] { return scene::MutexExists(); });
    }
    ~OtherRefresh() { Release(); }
    int Release() {
        if (child_.joinable()) {
            SetEvent(release_);
            child_.join();
            CloseHandle(release_);
            // The mutex goes with the child's last handle.
            WaitUntil([] { return !scene::MutexExists(); });
        }
        return result_;
    }

private:
    template <typename Done>
    static void WaitUntil(Done done) {
        for (DWORD start = GetTickCount(); !done() && GetTickCount() - start < kPatienceMs;)
            Sleep(10);
    }

    HANDLE release_ = nullptr;
    std::thread child_;
    int result_ = -1;
};

scene::Subscription Feed(const std::wstring& path, long updTime = 0) {
    return {L"Feed", path.empty() ? L"" : feedtest::ServerUrl(path), L"", updTime};
}

long UpdTime(int number) {
    return ReadIniNumber(scene::RssIni().c_str(), NumberedSection(L"rss", number).c_str(),
                         L"updTime", -1);
}

bool Pairs(const std::vector<HostToolbar::Notification>& notes, WORD commandId) {
    if (notes.empty() || notes.size() % 2) return false;
    for (size_t i = 0; i < notes.size(); ++i) {
        WPARAM expected = i % 2 ? kNotifyRefreshEnded : kNotifyRefreshStarted;
        if (notes[i].wParam != expected || notes[i].lParam != commandId) return false;
    }
    return true;
}

}  // namespace

TEST(Refresh, RefusedWhileAnotherProcessHoldsTheMutexAndStartedAfterItEnds) {
    scene::WriteStore({Feed(L"/feeds/rss20.xml")});
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    {
        OtherRefresh other;
        ASSERT_TRUE(scene::MutexExists());
        // Refused there and then: no worker thread is started.
        ThreadWatch threads;
        scene.Host().Send(kCodeCommand, kCmdRefreshAll);
        threads.HoldNewThreads();
        EXPECT_EQ(threads.Held(), 0);
        scene.Host().Pump(1);
        EXPECT_TRUE(scene.Notifications().empty());
        EXPECT_EQ(UpdTime(1), -1);
        EXPECT_EQ(other.Release(), 0);
    }
    scene.Host().Send(kCodeCommand, kCmdRefreshAll);
    ASSERT_TRUE(scene.WaitForNotifications(2));
    EXPECT_TRUE(Pairs(scene.Notifications(), 0x5001));
    EXPECT_TRUE(feedtest::Exists(FeedCachePath(1)));
    EXPECT_NE(UpdTime(1), -1);
    EXPECT_FALSE(scene::MutexExists());
    EXPECT_EQ(scene::SharedRefreshFlag(scene.Host().Plugin()), 0);
}

TEST(Refresh, EveryWorkerRunIsAnnouncedAndEndedToTheHost) {
    scene::WriteStore({Feed(L"/feeds/rss20.xml"), Feed(L"/feeds/atom10.xml")});
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    scene.Host().Send(kCodeCommand, kCmdRefreshAll);
    ASSERT_TRUE(scene.WaitForNotifications(2));
    // One subscription from its menu entry, then the refresh of all again.
    scene.Host().Send(kCodeCommand, SubscriptionCommand(2, kEntryRefresh));
    ASSERT_TRUE(scene.WaitForNotifications(4));
    scene.Host().Send(kCodeCommand, kCmdRefreshAll);
    ASSERT_TRUE(scene.WaitForNotifications(6));
    scene.Host().Pump(1);
    EXPECT_EQ(scene.Notifications().size(), 6u);
    EXPECT_TRUE(Pairs(scene.Notifications(), 0x5001));
    EXPECT_TRUE(feedtest::Exists(FeedCachePath(2)));
}

// The day's exact edge is the store's rule (SubscriptionStoreTest, with its
// clock given); here the plug-in applies it, an hour to either side.
TEST(Refresh, AStaleRefreshTakesStampsADayOldAndLeavesYoungerOnes) {
    LONG now = CurrentUpdTime();
    scene::WriteStore({Feed(L"/feeds/rss20.xml", now - 86400 + 3600),
                       Feed(L"/feeds/rss20.xml", now - 86400 - 3600), Feed(L"/feeds/rss20.xml"),
                       Feed(L"/feeds/rss20.xml", now + 3600)});
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    scene.Host().Send(kCodeCommand, kTimerStaleRefresh);
    ASSERT_TRUE(scene.WaitForNotifications(2));
    EXPECT_EQ(UpdTime(1), now - 86400 + 3600);
    EXPECT_GE(UpdTime(2), now);
    EXPECT_GE(UpdTime(3), now);  // never stamped: stale
    EXPECT_EQ(UpdTime(4), now + 3600);
    EXPECT_FALSE(feedtest::Exists(FeedCachePath(1)));
    EXPECT_TRUE(feedtest::Exists(FeedCachePath(2)));
}

TEST(Refresh, AFailedDownloadKeepsTheCacheAndIsStampedAnyway) {
    scene::WriteStore({Feed(L"/feeds/rss20.xml?status=404", 1000), Feed(L"", 1000)});
    scene::WriteCache(1, 4);
    std::string before = feedtest::ReadBytes(FeedCachePath(1));
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    LONG started = CurrentUpdTime();
    scene.Host().Send(kCodeCommand, kTimerStaleRefresh);
    ASSERT_TRUE(scene.WaitForNotifications(2));
    EXPECT_GE(UpdTime(1), started);
    EXPECT_GE(UpdTime(2), started);  // no address at all
    EXPECT_EQ(feedtest::ReadBytes(FeedCachePath(1)), before);
    EXPECT_FALSE(feedtest::Exists(FeedCachePath(2)));
    // Stamped, so the next stale refresh passes them by.
    EXPECT_FALSE(IsStale(scene::RssIni().c_str(), 1));
}

TEST(Refresh, TheStaleTimerKeepsFiringWhileBlockedAndStopsOnceItsRefreshStarts) {
    scene::WriteStore({Feed(L"/feeds/rss20.xml")});
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    HWND toolbar = scene.Host().Toolbar();
    OtherRefresh other;
    // A visibility message arms the timer; shortened here from 3 s.
    scene.Host().Send(kCodeVisibility, 0);
    ASSERT_TRUE(scene.Host().KillPluginTimer(kTimerStaleRefresh));
    SetTimer(toolbar, kTimerStaleRefresh, 50, nullptr);
    for (DWORD start = GetTickCount();
         scene.Host().RelayedTimers().size() < 3 && GetTickCount() - start < kPatienceMs;)
        scene.Host().Pump(20);
    EXPECT_GE(scene.Host().RelayedTimers().size(), 3u);
    EXPECT_TRUE(scene.Notifications().empty());

    ASSERT_EQ(other.Release(), 0);
    ASSERT_TRUE(scene.WaitForNotifications(2));
    // The refresh's worker killed the timer: nothing is relayed after it.
    EXPECT_FALSE(scene.Host().KillPluginTimer(kTimerStaleRefresh));
    size_t atEnd = scene.Host().RelayedTimers().size();
    scene.Host().Pump(1);
    EXPECT_EQ(scene.Host().RelayedTimers().size(), atEnd);
    EXPECT_TRUE(Pairs(scene.Notifications(), 0x5001));
}

TEST(Refresh, DestroyingAButtonWhileItDownloadsNeitherHangsNorLeavesTheMutex) {
    // A body that never ends, and a server that withholds even the headers:
    // either download runs until it is stopped, a minute or 30 s on.
    for (const wchar_t* stalled :
         {L"/_endless?tag=stalled", L"/feeds/atom10.xml?delay=30&tag=stalled"}) {
        SCOPED_TRACE(testing::Message() << stalled);
        scene::WriteStore({Feed(stalled), Feed(L"/feeds/rss20.xml")});
        feedtest::ServerGet(L"/_reset");
        {
            Scene scene;
            ASSERT_TRUE(scene.Ok());
            scene.Host().Send(kCodeCommand, kCmdRefreshAll);
            ASSERT_TRUE(scene.WaitForNotifications(1));
            for (DWORD start = GetTickCount();
                 feedtest::RecordedRequests(L"stalled").find("\"path\"") == std::string::npos &&
                 GetTickCount() - start < kPatienceMs;)
                scene.Host().Pump(20);
            ASSERT_TRUE(scene::MutexExists());
            // The button gives its worker 50 ms; a wait for the download
            // would take the server's 30 s at least.
            DWORD start = GetTickCount();
            EXPECT_EQ(scene.Host().Send(kCodeUnload), 1);
            EXPECT_LT(GetTickCount() - start, kPatienceMs / 2);
            EXPECT_FALSE(scene::MutexExists());
            EXPECT_EQ(scene::SharedRefreshFlag(scene.Host().Plugin()), 0);
            // Stopped, not failed: neither subscription was stamped.
            EXPECT_EQ(UpdTime(1), -1);
            EXPECT_EQ(UpdTime(2), -1);
            scene.Host().Send(kCodeAttach);  // a fresh button for the scene's end
        }
    }
    // The session can refresh again.
    Scene next;
    ASSERT_TRUE(next.Ok());
    scene::WriteStore({Feed(L"/feeds/rss20.xml")});
    next.Host().Send(kCodeCommand, kCmdRefreshAll);
    EXPECT_TRUE(next.WaitForNotifications(2));
}
