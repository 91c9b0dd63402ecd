#include <gtest/gtest.h>

#include "FeedTestSupport.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedCacheWriter.h"
#include "feeds/ReadMarks.h"
#include "feeds/SubscriptionStore.h"

using namespace feedtest;

namespace {
class SubscriptionStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDataFolder();
        rss_ = DataFile(L"rss.ini");
        history_ = DataFile(L"history.ini");
    }

    // A cache of the number whose channel link is siteLink and whose title marks it.
    void MakeCache(int number, const wchar_t* siteLink, const wchar_t* title) {
        FeedCache cache;
        cache.hasLink = true;
        cache.link = siteLink;
        cache.title = title;
        cache.items.push_back({L"item", L"http://example.org/item"});
        ASSERT_EQ(WriteFeedCacheFile(FeedCachePath(number).c_str(), cache), 1);
    }

    // Subscriptions 1..count, each with its cache and one read mark.
    void MakeSubscriptions(int count) {
        EnsureStoreFiles(rss_.c_str(), history_.c_str());
        for (int n = 1; n <= count; ++n) {
            std::wstring name = L"feed" + std::to_wstring(n);
            MakeCache(-1, (L"http://site/" + name).c_str(), name.c_str());
            ASSERT_EQ(AppendSubscription(rss_.c_str(), name.c_str(),
                                         (L"http://x/" + name + L".xml").c_str(), -1, 1000 + n),
                      n);
            MarkItemRead(history_.c_str(), n, (L"http://x/" + name + L"/read").c_str());
        }
    }

    void ExpectSubscription(int number, const std::wstring& name) {
        std::wstring section = L"rss" + std::to_wstring(number);
        EXPECT_EQ(IniValue(rss_, section.c_str(), L"title"), name);
        EXPECT_EQ(IniValue(rss_, section.c_str(), L"xmlUrl"), L"http://x/" + name + L".xml");
        EXPECT_EQ(IniValue(rss_, section.c_str(), L"htmlUrl"), L"http://site/" + name);
        EXPECT_EQ(IniValue(FeedCachePath(number), L"main", L"title"), name);
        EXPECT_TRUE(IsItemRead(history_.c_str(), number, (L"http://x/" + name + L"/read").c_str()));
    }

    std::wstring rss_;
    std::wstring history_;
};

TEST_F(SubscriptionStoreTest, FreshFolderGetsUnicodeFilesWithCountZero) {
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    std::string rss = ReadBytes(rss_);
    ASSERT_GE(rss.size(), 2u);
    EXPECT_EQ(rss.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(IniValue(rss_, L"main", L"count"), L"0");
    EXPECT_EQ(ReadBytes(history_), "\xFF\xFE");
    EXPECT_EQ(ReadCount(rss_.c_str()), 0);
}

TEST_F(SubscriptionStoreTest, MissingListTruncatesHistoryButExistingListKeepsIt) {
    WriteBytes(history_, "[rss1]\r\nhis=352441C2|\r\n");
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    EXPECT_EQ(ReadBytes(history_), "\xFF\xFE");

    WritePrivateProfileStringW(L"rss1", L"his", L"352441C2|", history_.c_str());
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    EXPECT_TRUE(IsItemRead(history_.c_str(), 1, L"abc"));
}

TEST_F(SubscriptionStoreTest, AppendToEmptyListAdoptsDialogCache) {
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    MakeCache(-1, L"http://site/", L"Site");
    EXPECT_EQ(AppendSubscription(rss_.c_str(), L"我的订阅", L"http://site/rss.xml", -1, 1234567),
              1);
    EXPECT_EQ(IniValue(rss_, L"main", L"count"), L"1");
    EXPECT_EQ(IniValue(rss_, L"rss1", L"title"), L"我的订阅");
    EXPECT_EQ(IniValue(rss_, L"rss1", L"xmlUrl"), L"http://site/rss.xml");
    EXPECT_EQ(IniValue(rss_, L"rss1", L"htmlUrl"), L"http://site/");
    EXPECT_EQ(IniValue(rss_, L"rss1", L"updTime"), L"1234567");
    EXPECT_FALSE(Exists(FeedCachePath(-1)));
    EXPECT_EQ(IniValue(FeedCachePath(1), L"main", L"title"), L"Site");
}

TEST_F(SubscriptionStoreTest, SameAddressTwiceMakesTwoSubscriptionsAndMissingCacheLeavesNone) {
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    MakeCache(0, L"http://site/", L"Site");
    EXPECT_EQ(AppendSubscription(rss_.c_str(), L"A", L"http://same/", 0, 1), 1);
    EXPECT_EQ(AppendSubscription(rss_.c_str(), L"B", L"http://same/", 0, 2), 2);
    EXPECT_EQ(IniValue(rss_, L"rss2", L"xmlUrl"), L"http://same/");
    EXPECT_EQ(IniValue(rss_, L"rss2", L"htmlUrl"), L"");
    EXPECT_FALSE(Exists(FeedCachePath(2)));
    EXPECT_EQ(ReadCount(rss_.c_str()), 2);
}

TEST_F(SubscriptionStoreTest, LineBreaksInValuesCannotForgeKeysOrSections) {
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    // An address that breaks lines is no address a refresh could fetch.
    EXPECT_EQ(AppendSubscription(rss_.c_str(), L"Evil", L"http://a/\n[rss9]\nx=1", -1, 5), 0);
    AppendSubscription(rss_.c_str(), L"Evil\r\n[main]\r\ncount=999", L"http://a/", -1, 5);
    RenameSubscription(rss_.c_str(), 1, L"x\rcount=999\n");
    EXPECT_EQ(ReadCount(rss_.c_str()), 1);
    EXPECT_EQ(IniValue(rss_, L"rss1", L"title"), L"x count=999");
    EXPECT_EQ(IniValue(rss_, L"rss1", L"xmlUrl"), L"http://a/");
    EXPECT_EQ(IniValue(rss_, L"rss9", L"x"), L"<missing>");
}

TEST_F(SubscriptionStoreTest, TitlesOutsideTheAnsiCodePageSurvive) {
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    AppendSubscription(rss_.c_str(), L"日本語のニュース", L"http://jp/", -1, 1);
    AppendSubscription(rss_.c_str(), L"Новости", L"http://ru/", -1, 1);
    EXPECT_EQ(IniValue(rss_, L"rss1", L"title"), L"日本語のニュース");
    EXPECT_EQ(IniValue(rss_, L"rss2", L"title"), L"Новости");
}

TEST_F(SubscriptionStoreTest, ExistingAnsiListIsReadAndUpdatedInItsEncoding) {
    // "中文" in code page 936, as older installations wrote it.
    WriteBytes(rss_, "[main]\r\ncount=1\r\n[rss1]\r\ntitle=\xD6\xD0\xCE\xC4\r\n");
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    RenameSubscription(rss_.c_str(), 1, L"新名字");
    AppendSubscription(rss_.c_str(), L"第二", L"http://b/", -1, 1);
    std::string bytes = ReadBytes(rss_);
    EXPECT_NE(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(bytes.find("count=2"), std::string::npos);
    EXPECT_EQ(IniValue(rss_, L"rss1", L"title"), L"新名字");
    EXPECT_EQ(IniValue(rss_, L"rss2", L"title"), L"第二");
}

TEST_F(SubscriptionStoreTest, RemovingSecondOfThreeMovesThirdWithCacheAndMarks) {
    MakeSubscriptions(3);
    RemoveSubscriptions(rss_.c_str(), history_.c_str(), {true, false, true});
    EXPECT_EQ(ReadCount(rss_.c_str()), 2);
    ExpectSubscription(1, L"feed1");
    ExpectSubscription(2, L"feed3");
    EXPECT_EQ(IniValue(rss_, L"rss3", L"title"), L"<missing>");
    EXPECT_EQ(IniValue(history_, L"rss3", L"his"), L"<missing>");
    EXPECT_FALSE(Exists(FeedCachePath(3)));
    // The refresh stamp moves along, so the feed is not treated as never fetched.
    EXPECT_EQ(IniValue(rss_, L"rss2", L"updTime"), L"1003");
}

TEST_F(SubscriptionStoreTest, RemovingSecondAndFourthOfFiveRenumbersTheRest) {
    MakeSubscriptions(5);
    RemoveSubscriptions(rss_.c_str(), history_.c_str(), {true, false, true, false, true});
    EXPECT_EQ(ReadCount(rss_.c_str()), 3);
    ExpectSubscription(1, L"feed1");
    ExpectSubscription(2, L"feed3");
    ExpectSubscription(3, L"feed5");
    for (int gone : {4, 5}) {
        std::wstring section = L"rss" + std::to_wstring(gone);
        EXPECT_EQ(IniValue(rss_, section.c_str(), L"xmlUrl"), L"<missing>");
        EXPECT_EQ(IniValue(history_, section.c_str(), L"cn"), L"<missing>");
        EXPECT_FALSE(Exists(FeedCachePath(gone)));
    }
    EXPECT_FALSE(IsItemRead(history_.c_str(), 2, L"http://x/feed2/read"));
}

TEST_F(SubscriptionStoreTest, RemovingAllEmptiesTheList) {
    MakeSubscriptions(2);
    RemoveSubscriptions(rss_.c_str(), history_.c_str(), {false, false});
    EXPECT_EQ(ReadCount(rss_.c_str()), 0);
    EXPECT_FALSE(Exists(FeedCachePath(1)));
    EXPECT_FALSE(Exists(FeedCachePath(2)));
}

TEST_F(SubscriptionStoreTest, StaleAfterExactlyOneDayOrWithoutStamp) {
    EnsureStoreFiles(rss_.c_str(), history_.c_str());
    const LONG now = 1700000000;
    AppendSubscription(rss_.c_str(), L"a", L"http://a/", -1, now - 86399);
    AppendSubscription(rss_.c_str(), L"b", L"http://b/", -1, now - 86400);
    AppendSubscription(rss_.c_str(), L"c", L"http://c/", -1, now + 500);
    EXPECT_FALSE(IsStaleAt(rss_.c_str(), 1, now));
    EXPECT_TRUE(IsStaleAt(rss_.c_str(), 2, now));
    EXPECT_FALSE(IsStaleAt(rss_.c_str(), 3, now));
    EXPECT_TRUE(IsStaleAt(rss_.c_str(), 4, now));  // never stamped

    StampUpdTime(rss_.c_str(), 2);
    EXPECT_FALSE(IsStale(rss_.c_str(), 2));
    EXPECT_NEAR(_wtol(IniValue(rss_, L"rss2", L"updTime").c_str()), CurrentUpdTime(), 5);
}
}  // namespace
