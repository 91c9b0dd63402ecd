#include <gtest/gtest.h>

#include "FeedTestSupport.h"
#include "feeds/ItemLinkHash.h"
#include "feeds/ReadMarks.h"
#include "feeds/SubscriptionStore.h"

using namespace feedtest;

namespace {
TEST(ItemLinkHash, IsCrc32OfTheAnsiBytes) {
    EXPECT_EQ(ItemLinkHash(L"abc"), L"352441C2|");
    EXPECT_EQ(ItemLinkHash(L"http://example.org/1"), L"0BD6160A|");
    // Code page 936 bytes, as marks written by earlier versions were hashed.
    EXPECT_EQ(ItemLinkHash(L"http://例子.cn/文章"), L"3A01072F|");
}

TEST(ItemLinkHash, HashesAtMost2083Bytes) {
    std::wstring longLink(3000, L'a');
    std::wstring cut(2083, L'a');
    EXPECT_EQ(ItemLinkHash(longLink.c_str()), ItemLinkHash(cut.c_str()));
    EXPECT_NE(ItemLinkHash(std::wstring(2082, L'a').c_str()), ItemLinkHash(cut.c_str()));
}

class ReadMarksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDataFolder();
        rss_ = DataFile(L"rss.ini");
        history_ = DataFile(L"history.ini");
        EnsureStoreFiles(rss_.c_str(), history_.c_str());
    }
    std::wstring Marks() { return IniValue(history_, L"rss1", L"his"); }
    std::wstring Slot() { return IniValue(history_, L"rss1", L"cn"); }
    static std::wstring Link(int k) { return L"http://example.org/" + std::to_wstring(k); }

    std::wstring rss_;
    std::wstring history_;
};

TEST_F(ReadMarksTest, MarkingTwiceChangesNothing) {
    MarkItemRead(history_.c_str(), 1, L"abc");
    EXPECT_EQ(Marks(), L"352441C2|");
    EXPECT_EQ(Slot(), L"1");
    MarkItemRead(history_.c_str(), 1, L"abc");
    EXPECT_EQ(Marks(), L"352441C2|");
    EXPECT_EQ(Slot(), L"1");
    EXPECT_FALSE(IsItemRead(history_.c_str(), 2, L"abc"));
}

TEST_F(ReadMarksTest, SixteenthMarkReplacesTheOldest) {
    for (int k = 1; k <= 15; ++k) MarkItemRead(history_.c_str(), 1, Link(k).c_str());
    EXPECT_EQ(Marks().size(), 135u);
    EXPECT_EQ(Slot(), L"0");
    for (int k = 1; k <= 15; ++k) EXPECT_TRUE(IsItemRead(history_.c_str(), 1, Link(k).c_str()));

    MarkItemRead(history_.c_str(), 1, Link(16).c_str());
    EXPECT_EQ(Marks().size(), 135u);
    EXPECT_EQ(Marks().substr(0, 9), ItemLinkHash(Link(16).c_str()));
    EXPECT_EQ(Slot(), L"1");
    EXPECT_FALSE(IsItemRead(history_.c_str(), 1, Link(1).c_str()));
    EXPECT_TRUE(IsItemRead(history_.c_str(), 1, Link(2).c_str()));
}

TEST_F(ReadMarksTest, LookupIgnoresLetterCase) {
    WritePrivateProfileStringW(L"rss1", L"his", L"0bd6160a|352441c2|", history_.c_str());
    EXPECT_TRUE(IsItemRead(history_.c_str(), 1, L"abc"));
    EXPECT_TRUE(IsItemRead(history_.c_str(), 1, L"http://example.org/1"));
    EXPECT_FALSE(IsItemRead(history_.c_str(), 1, L"abd"));
}

TEST_F(ReadMarksTest, DamagedSlotRestartsTheRing) {
    WritePrivateProfileStringW(L"rss1", L"his", L"0BD6160A|", history_.c_str());
    WritePrivateProfileStringW(L"rss1", L"cn", L"99", history_.c_str());
    MarkItemRead(history_.c_str(), 1, L"abc");
    EXPECT_EQ(Marks(), L"352441C2|");
    EXPECT_EQ(Slot(), L"1");
}

TEST_F(ReadMarksTest, MarksOfAnAnsiHistoryStayValid) {
    WriteBytes(history_, "[rss1]\r\nhis=3A01072F|\r\ncn=1\r\n");
    EXPECT_TRUE(IsItemRead(history_.c_str(), 1, L"http://例子.cn/文章"));
    MarkItemRead(history_.c_str(), 1, L"abc");
    EXPECT_EQ(ReadBytes(history_).find("his=3A01072F|352441C2|"), 8u);
}

TEST_F(ReadMarksTest, MarkingWithoutHistoryFileCreatesAUnicodeOne) {
    DeleteFileW(history_.c_str());
    MarkItemRead(history_.c_str(), 1, L"abc");
    EXPECT_EQ(ReadBytes(history_).substr(0, 2), "\xFF\xFE");
    EXPECT_TRUE(IsItemRead(history_.c_str(), 1, L"abc"));
}
}  // namespace
