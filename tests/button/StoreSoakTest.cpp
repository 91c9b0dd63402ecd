// Several processes change one store at random side by side: adding, renaming,
// removing, refreshing and marking read. Every subscription that was added
// and not removed must be there exactly once with its own title, address,
// cache and read mark.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "FeedTestSupport.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedCacheWriter.h"
#include "feeds/ReadMarks.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"
#include "feeds/SubscriptionRefresh.h"
#include "feeds/SubscriptionStore.h"
#include "plugin/PluginSwitches.h"
#include "support/ChildProcess.h"

using namespace feedtest;

namespace {

constexpr int kProcesses = 3;
// Operations of each process. However busy the machine, each does as many:
// how much they overlap is up to the scheduler, how much they do is not.
constexpr int kOperations = 40;

// What one process added and kept: the feed's tag and the size of the feed
// that identifies its cache (the server's generated feed of that many items).
struct OwnFeed {
    std::wstring tag;
    std::wstring title;
    int items = 0;
    bool marked = false;
};

std::wstring Address(const OwnFeed& feed) {
    return ServerUrl(L"/_feed?items=" + std::to_wstring(feed.items) + L"&who=" + feed.tag);
}

std::wstring ReadLink(const OwnFeed& feed) {
    return L"http://example.org/read/" + feed.tag;
}

std::wstring Section(int n) {
    return NumberedSection(L"rss", n);
}

// The number that holds the address now, or 0.
int FindNumber(const std::wstring& rss, const std::wstring& address) {
    int count = ReadCount(rss.c_str());
    for (int n = 1; n <= count; ++n)
        if (ReadIniString(rss.c_str(), Section(n).c_str(), L"xmlUrl") == address) return n;
    return 0;
}

// A parse result as the add dialogs leave it, carrying the feed's identity in
// its item count.
void MakeDialogCache(int cacheNumber, const OwnFeed& feed) {
    FeedCache cache;
    cache.hasLink = true;
    cache.link = L"http://example.org/";
    cache.title = feed.tag;
    for (int k = 1; k <= feed.items; ++k)
        cache.items.push_back({L"Item", L"http://example.org/" + std::to_wstring(k)});
    WriteFeedCacheFile(FeedCachePath(cacheNumber).c_str(), cache);
}

// Child: kOperations random operations; writes its surviving feeds to its
// journal. Argument: "<process> <lock 0|1>".
int SoakRole(const std::wstring& argument) {
    int process = 0;
    int locked = 1;
    swscanf(argument.c_str(), L"%d %d", &process, &locked);
    SetStoreLockEnabled(locked != 0);
    std::wstring rss = DataFile(L"rss.ini");
    std::wstring history = DataFile(L"history.ini");
    std::mt19937 random(1234 + process);
    std::vector<OwnFeed> own;
    int sequence = 0;
    int operations = 0;
    const int cacheNumber = -10 - process;
    while (operations < kOperations) {
        int choice = static_cast<int>(random() % 10);
        ++operations;
        ReportChildProgress();
        if (choice < 3 || own.empty()) {
            OwnFeed feed;
            feed.tag = L"p" + std::to_wstring(process) + L"s" + std::to_wstring(sequence);
            feed.title = feed.tag;
            feed.items = 1 + process + kProcesses * sequence++;
            MakeDialogCache(cacheNumber, feed);
            AppendSubscription(rss.c_str(), feed.title.c_str(), Address(feed).c_str(), cacheNumber,
                               CurrentUpdTime());
            own.push_back(feed);
            continue;
        }
        if (choice == 3) {
            // Any subscription, possibly another process's: the download runs
            // while the others keep changing the list.
            int count = ReadCount(rss.c_str());
            if (count > 0) RefreshSubscription(rss.c_str(), 1 + static_cast<int>(random() % count));
            continue;
        }
        size_t pick = random() % own.size();
        OwnFeed& feed = own[pick];
        // The lookup and the change as one step, as a dialog that holds a
        // number would need.
        StoreLock lock;
        int number = FindNumber(rss, Address(feed));
        if (!number) continue;
        if (choice < 6) {
            feed.title = feed.tag + L"r" + std::to_wstring(operations);
            RenameSubscription(rss.c_str(), number, feed.title.c_str());
        } else if (choice < 8) {
            std::vector<bool> keep(ReadCount(rss.c_str()), true);
            if (number <= static_cast<int>(keep.size())) keep[number - 1] = false;
            RemoveSubscriptions(rss.c_str(), history.c_str(), keep);
            own.erase(own.begin() + pick);
        } else {
            MarkItemRead(history.c_str(), number, ReadLink(feed).c_str());
            feed.marked = true;
        }
    }
    std::wostringstream journal;
    journal << operations << L"\n";
    for (const OwnFeed& feed : own)
        journal << feed.tag << L" " << feed.title << L" " << feed.items << L" " << feed.marked
                << L"\n";
    WriteTextFile(TempFilePath(L"soak" + std::to_wstring(process) + L".txt"), journal.str());
    return 0;
}
CHILD_ROLE(L"store-soak", SoakRole);

struct SoakResult {
    int operations = 0;
    int expected = 0;
    int losses = 0;  // missing, duplicated, foreign or damaged subscriptions
};

SoakResult RunSoak(bool locked) {
    ClearDataFolder();
    std::wstring rss = DataFile(L"rss.ini");
    std::wstring history = DataFile(L"history.ini");
    EnsureStoreFiles(rss.c_str(), history.c_str());
    std::vector<std::thread> children;
    int results[kProcesses];
    for (int p = 0; p < kProcesses; ++p) {
        std::wstring argument = std::to_wstring(p) + L" " + (locked ? L"1" : L"0");
        children.emplace_back(
            [&results, p, argument] { results[p] = RunChildRole(L"store-soak", argument); });
    }
    for (std::thread& child : children) child.join();

    SoakResult result;
    std::map<std::wstring, OwnFeed> expected;
    for (int p = 0; p < kProcesses; ++p) {
        EXPECT_EQ(results[p], 0) << "process " << p;
        std::wistringstream journal(
            ReadTextFile(TempFilePath(L"soak" + std::to_wstring(p) + L".txt")));
        int operations = 0;
        journal >> operations;
        result.operations += operations;
        OwnFeed feed;
        while (journal >> feed.tag >> feed.title >> feed.items >> feed.marked)
            expected[feed.tag] = feed;
    }
    result.expected = static_cast<int>(expected.size());

    std::map<std::wstring, int> seen;
    int count = ReadCount(rss.c_str());
    for (int n = 1; n <= count; ++n) {
        std::wstring address = ReadIniString(rss.c_str(), Section(n).c_str(), L"xmlUrl");
        size_t who = address.find(L"&who=");
        std::wstring tag = who == std::wstring::npos ? L"" : address.substr(who + 5);
        auto found = expected.find(tag);
        if (found == expected.end() || ++seen[tag] > 1) {
            ++result.losses;  // a gap, a removed feed come back, or a duplicate
            continue;
        }
        const OwnFeed& feed = found->second;
        std::wstring cache = FeedCachePath(n);
        bool intact = ReadIniString(rss.c_str(), Section(n).c_str(), L"title") == feed.title &&
                      address == Address(feed) &&
                      ReadIniNumber(cache.c_str(), L"main", L"count", -1) == feed.items &&
                      (!feed.marked || IsItemRead(history.c_str(), n, ReadLink(feed).c_str()));
        if (!intact) ++result.losses;
    }
    for (const auto& feed : expected)
        if (!seen.count(feed.first)) ++result.losses;
    return result;
}

TEST(StoreSoakTest, ConcurrentProcessesLoseNothingWithTheLock) {
    SoakResult unlocked = RunSoak(false);
    SoakResult locked = RunSoak(true);
    printf("store soak without lock: %d operations, %d kept, %d lost or damaged\n",
           unlocked.operations, unlocked.expected, unlocked.losses);
    printf("store soak with lock: %d operations, %d kept, %d lost or damaged\n", locked.operations,
           locked.expected, locked.losses);
    EXPECT_EQ(locked.operations, kProcesses * kOperations);
    EXPECT_GT(locked.expected, 0);
    EXPECT_EQ(locked.losses, 0);
    ClearDataFolder();
}

}  // namespace
