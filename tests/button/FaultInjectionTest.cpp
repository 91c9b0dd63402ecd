// Faults from outside: a store file that cannot be written while the product
// saves (held open by another program, or marked read-only), and the browser
// unloading the button while a refresh or a dialog worker runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ButtonSceneSupport.h"
#include "DialogTestSupport.h"
#include "core/AddedTip.h"
#include "core/MenuCommand.h"
#include "dialogs/CustomAddDialog.h"
#include "feeds/FeedEncoding.h"
#include "feeds/ReadMarks.h"
#include "feeds/SubscriptionImport.h"
#include "feeds/SubscriptionRefresh.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

using namespace feedtest;
using namespace dialogtest;

namespace {

// Makes one file unwritable for as long as it lives.
class UnwritableFile {
public:
    enum Way { kHeldOpen, kReadOnly };
    UnwritableFile(const std::wstring& path, Way way) : path_(path), way_(way) {
        if (way == kHeldOpen) {
            held_ = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        }
    }
    ~UnwritableFile() {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
        if (way_ == kReadOnly) SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    // Whether the file really refuses writing here.
    bool Refuses() const {
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return true;
        CloseHandle(file);
        return false;
    }

private:
    std::wstring path_;
    Way way_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
};

const char* WayName(UnwritableFile::Way way) {
    return way == UnwritableFile::kHeldOpen ? "held open" : "read-only";
}

// Two subscriptions with caches and read marks, and a parsed feed waiting as
// cache -1 of an add dialog.
void WriteTwoSubscriptions() {
    scene::WriteStore({{L"One", ServerUrl(L"/feeds/rss20.xml"), L"", 1000},
                       {L"Two", ServerUrl(L"/feeds/atom10.xml"), L"", 1000}});
    scene::WriteCache(1, 3);
    scene::WriteCache(2, 2);
    MarkItemRead(scene::HistoryIni().c_str(), 1, scene::ItemLink(1, 1).c_str());
    CopyFileW(FeedCachePath(2).c_str(), FeedCachePath(-1).c_str(), FALSE);
}

TEST(FaultInjectionTest, AnUnwritableListKeepsEverySubscriptionAndCache) {
    for (auto way : {UnwritableFile::kHeldOpen, UnwritableFile::kReadOnly}) {
        SCOPED_TRACE(WayName(way));
        WriteTwoSubscriptions();
        // Measured: Wine running as root writes read-only files all the same.
        if (way == UnwritableFile::kReadOnly && !UnwritableFile(scene::RssIni(), way).Refuses())
            continue;
        std::string list = ReadBytes(scene::RssIni());
        std::string cache1 = ReadBytes(FeedCachePath(1));
        std::string cache2 = ReadBytes(FeedCachePath(2));
        {
            UnwritableFile unwritable(scene::RssIni(), way);
            ASSERT_TRUE(unwritable.Refuses());
            EXPECT_EQ(AppendSubscription(scene::RssIni().c_str(), L"New", L"http://x/", -1, 5), 0);
            EXPECT_TRUE(Exists(FeedCachePath(-1)));
            ImportSummary imported =
                ImportOpmlFile(scene::RssIni().c_str(), scene::HistoryIni().c_str(),
                               SourcePath("tests/data/opml/subscriptions-1.0.opml").c_str());
            EXPECT_FALSE(imported.stored);
            EXPECT_EQ(imported.added, 0);
        }
        EXPECT_EQ(ReadBytes(scene::RssIni()), list);
        EXPECT_EQ(ReadBytes(FeedCachePath(1)), cache1);
        EXPECT_EQ(ReadBytes(FeedCachePath(2)), cache2);
        EXPECT_FALSE(Exists(FeedCachePath(3)));
        // Writable again: the same cache is added as the third.
        EXPECT_EQ(AppendSubscription(scene::RssIni().c_str(), L"New", L"http://x/", -1, 5), 3);
        EXPECT_EQ(ReadBytes(FeedCachePath(1)), cache1);
    }
    ClearDataFolder();
}

TEST(FaultInjectionTest, UnwritableReadMarksAndCacheKeepTheirContent) {
    WriteTwoSubscriptions();
    std::string history = ReadBytes(scene::HistoryIni());
    {
        UnwritableFile unwritable(scene::HistoryIni(), UnwritableFile::kHeldOpen);
        MarkItemRead(scene::HistoryIni().c_str(), 1, scene::ItemLink(1, 2).c_str());
    }
    EXPECT_EQ(ReadBytes(scene::HistoryIni()), history);
    ClearDataFolder();
}

// Another program holding the cache, or the download's "%d.xml", keeps the
// refresh from putting the new content in place: the old cache stays and no
// stamp hides the feed from the next stale refresh. A reader of the cache
// never causes that.
TEST(FaultInjectionTest, ARefreshThatCannotReplaceItsFilesIsNotStampedAndReadersNeverBlockIt) {
    WriteTwoSubscriptions();
    std::string cache = ReadBytes(FeedCachePath(1));
    auto stamp = [] { return ReadIniNumber(scene::RssIni().c_str(), L"rss1", L"updTime", -1); };
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    std::wstring download = std::wstring(temp) + L"1.xml";
    for (const std::wstring& held : {FeedCachePath(1), download}) {
        SCOPED_TRACE(std::string(held.begin(), held.end()));
        if (held == download) WriteBytes(download, "<rss/>");
        {
            UnwritableFile unwritable(held, UnwritableFile::kHeldOpen);
            ASSERT_TRUE(unwritable.Refuses());
            EXPECT_EQ(RefreshSubscription(scene::RssIni().c_str(), 1), 0);
        }
        EXPECT_EQ(ReadBytes(FeedCachePath(1)), cache);
        EXPECT_EQ(stamp(), 1000);
    }
    DeleteFileW(download.c_str());

    LONG started = CurrentUpdTime();
    HANDLE reader = OpenToRead(FeedCachePath(1).c_str());
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RefreshSubscription(scene::RssIni().c_str(), 1), 1);
    CloseHandle(reader);
    EXPECT_EQ(IniValue(FeedCachePath(1), L"main", L"title"), L"Tom & Jerry's <News>");
    EXPECT_GE(stamp(), started);
    ClearDataFolder();
}

TEST(FaultInjectionTest, TheAddDialogSaysSoWhenTheListCannotBeWritten) {
    ClearDataFolder();
    TheAddedTip().Destroy();
    ButtonOnHost scene;
    ASSERT_TRUE(scene.Created());
    scene::WriteStore({{L"One", ServerUrl(L"/feeds/rss20.xml"), L"", 1000}});
    scene::WriteCache(1, 3);
    std::string list = ReadBytes(scene::RssIni());
    std::string cache = ReadBytes(FeedCachePath(1));

    CustomAddDialog dialog(&scene.Button());
    HWND window = dialog.Open();
    SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/atom10.xml"));
    {
        UnwritableFile unwritable(scene::RssIni(), UnwritableFile::kHeldOpen);
        Click(window, IDC_ADD);
        ASSERT_TRUE(
            PumpUntil([&] { return Text(window, IDC_STATUS) == StringResource(IDS_ADD_FAILED); }));
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(TheAddedTip().Window() && IsWindowVisible(TheAddedTip().Window()));
    }
    EXPECT_EQ(ReadBytes(scene::RssIni()), list);
    EXPECT_EQ(ReadBytes(FeedCachePath(1)), cache);
    // The user tries again once the list can be written.
    ASSERT_TRUE(PumpUntil([&] { return Enabled(window, IDC_ADD); }));
    Click(window, IDC_ADD);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(ReadCount(scene::RssIni().c_str()), 2);
    EXPECT_EQ(ReadBytes(FeedCachePath(1)), cache);
    ClearDataFolder();
}

// The browser unloads the button while its custom-add dialog waits for a
// server, and while a refresh of it downloads: the call returns in time, the
// dialog is gone, and the host can place a new button that works.
TEST(FaultInjectionTest, UnloadWhileADialogWorkerOrARefreshRunsEndsInTime) {
    scene::WriteStore({{L"Slow", ServerUrl(L"/feeds/rss20.xml?drip=200"), L"", 1000}});
    for (UINT control : {IDC_VERIFY, IDC_ADD}) {
        SCOPED_TRACE(control);
        HostToolbar host;
        ASSERT_TRUE(host.Create());
        ASSERT_TRUE(host.LoadPlugin(BuildPath("button/rssbutton.dll")));
        host.Send(kCodePlaced);
        host.Send(kCodeCommand, kCmdRefreshAll);
        host.Send(kCodeCommand, kCmdCustomAdd);
        HWND window = FindWindowW(L"#32770", L"自定义添加RSS订阅");
        ASSERT_NE(window, nullptr);
        SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/rss20.xml?delay=20"));
        Click(window, control);
        host.Pump(500);
        ASSERT_TRUE(scene::MutexExists());
        DWORD start = GetTickCount();
        EXPECT_EQ(host.Send(kCodeUnload), 1);
        DWORD took = GetTickCount() - start;
        EXPECT_LT(took, 2500u);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(scene::MutexExists());
        host.Pump(200);

        host.Send(kCodePlaced);
        host.Send(kCodeCommand, kCmdCustomAdd);
        window = FindWindowW(L"#32770", L"自定义添加RSS订阅");
        EXPECT_NE(window, nullptr);
        host.Send(kCodeUnload);
        printf("unload during %s: %lu ms\n", control == IDC_VERIFY ? "verify" : "add",
               static_cast<unsigned long>(took));
    }
    ClearDataFolder();
}

}  // namespace
