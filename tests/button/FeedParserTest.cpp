#include <gtest/gtest.h>

#include "FeedTestSupport.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedCacheWriter.h"
#include "feeds/FeedEncoding.h"
#include "feeds/FeedParser.h"

using namespace feedtest;

namespace {
constexpr int kNumber = 7;

class FeedParserTest : public ::testing::Test {
protected:
    void SetUp() override { ClearDataFolder(); }

    int Parse(const char* fixture) {
        ScratchFile file(fixture);
        return ParseFeedFile(file.Path(), kNumber);
    }
    std::wstring Main(const wchar_t* key) { return IniValue(FeedCachePath(kNumber), L"main", key); }
    std::wstring Item(int k, const wchar_t* key) {
        return IniValue(FeedCachePath(kNumber), (L"item" + std::to_wstring(k)).c_str(), key);
    }
};

TEST_F(FeedParserTest, Rss20KeepsDocumentOrderEntitiesAndCdata) {
    ASSERT_EQ(Parse("rss20.xml"), 1);
    EXPECT_EQ(Main(L"link"), L"http://example.org/news/");
    EXPECT_EQ(Main(L"title"), L"Tom & Jerry's <News>");
    EXPECT_EQ(Main(L"count"), L"3");
    EXPECT_EQ(Item(1, L"title"), L"First <b>bold</b> item");
    EXPECT_EQ(Item(2, L"title"), L"中文标题");
    EXPECT_EQ(Item(2, L"link"), L"http://example.org/news/2?a=1&b=2");
    EXPECT_EQ(Item(3, L"link"), L"http://example.org/news/3");
    EXPECT_FALSE(Exists(FeedCacheTempPath(kNumber)));
    EXPECT_EQ(ReadBytes(FeedCachePath(kNumber)).substr(0, 2), "\xFF\xFE");
}

TEST_F(FeedParserTest, OlderRssVersionsAndEmptyValues) {
    ASSERT_EQ(Parse("rss091.xml"), 1);
    EXPECT_EQ(Main(L"title"), L"Café Weekly");
    EXPECT_EQ(Item(1, L"title"), L"Crème brûlée");

    ASSERT_EQ(Parse("rss092.xml"), 1);
    EXPECT_EQ(Main(L"count"), L"2");
    EXPECT_EQ(Item(1, L"title"), L"");
    EXPECT_EQ(Item(2, L"link"), L"");
}

TEST_F(FeedParserTest, Rss10ItemsOutsideTheChannelAreNotCounted) {
    ASSERT_EQ(Parse("rss10.xml"), 1);
    EXPECT_EQ(Main(L"title"), L"RDF Site");
    EXPECT_EQ(Main(L"count"), L"0");
}

TEST_F(FeedParserTest, AtomTakesTheFirstLinkWhateverItsRel) {
    ASSERT_EQ(Parse("atom10.xml"), 1);
    EXPECT_EQ(Main(L"link"), L"http://example.org/atom.xml");
    EXPECT_EQ(Main(L"count"), L"3");
    EXPECT_EQ(Item(2, L"link"), L"http://example.org/b?x=1&y=2");
    EXPECT_EQ(Item(3, L"link"), L"");

    ASSERT_EQ(Parse("atom03.xml"), 1);
    EXPECT_EQ(Main(L"link"), L"http://example.org/03/");
    EXPECT_EQ(Item(1, L"title"), L"Old entry");
}

TEST_F(FeedParserTest, SpaceOnlyTitleBecomesUntitledEmptyTitleFails) {
    ASSERT_EQ(Parse("blank_title.xml"), 1);
    EXPECT_EQ(Main(L"title"), L"无标题");

    ClearDataFolder();
    EXPECT_EQ(Parse("empty_title.xml"), 0);
    EXPECT_FALSE(Exists(FeedCachePath(kNumber)));
}

TEST_F(FeedParserTest, FailedParseKeepsThePreviousCache) {
    ASSERT_EQ(Parse("rss20.xml"), 1);
    for (const char* fixture :
         {"no_channel_link.xml", "empty_title.xml", "not_a_feed.html", "broken.xml"}) {
        EXPECT_EQ(Parse(fixture), 0) << fixture;
        EXPECT_EQ(Main(L"title"), L"Tom & Jerry's <News>") << fixture;
    }
    EXPECT_EQ(ParseFeedFile(L"C:\\no\\such\\file.xml", kNumber), 0);
}

TEST_F(FeedParserTest, ChannelLinkWithoutTextLeavesTheKeyOut) {
    ASSERT_EQ(Parse("channel_link_empty.xml"), 1);
    EXPECT_EQ(Main(L"link"), L"<missing>");
    EXPECT_EQ(Main(L"count"), L"1");
}

TEST_F(FeedParserTest, ItemWithoutLinkEndsTheListAndTheRestIsCommitted) {
    ASSERT_EQ(Parse("rss20.xml"), 1);
    ASSERT_EQ(Parse("missing_item_link.xml"), 1);
    EXPECT_EQ(Main(L"title"), L"Partial");
    EXPECT_EQ(Main(L"count"), L"2");
    EXPECT_EQ(Item(2, L"link"), L"http://example.org/2");
    EXPECT_EQ(Item(3, L"title"), L"<missing>");
}

TEST_F(FeedParserTest, ValuesAreCutTo259Characters) {
    ASSERT_EQ(Parse("long_values.xml"), 1);
    EXPECT_EQ(Main(L"title"), std::wstring(259, L'T'));
    EXPECT_EQ(Main(L"link").size(), 259u);
    EXPECT_EQ(Item(1, L"title"), std::wstring(259, L'中'));
}

TEST_F(FeedParserTest, ControlCharactersInValuesBecomeSpaces) {
    ASSERT_EQ(Parse("injection.xml"), 1);
    EXPECT_EQ(Main(L"count"), L"1");
    EXPECT_EQ(Main(L"title"), L"Evil  [main] count=999");
    EXPECT_EQ(Main(L"link"), L"http://example.org/ [item1]");
    EXPECT_EQ(Item(1, L"title"), L"Line one [main] count=999");
}

TEST_F(FeedParserTest, NumericReferencesWithoutDeclarationBecomeUtf8) {
    ASSERT_EQ(Parse("numeric_refs.xml"), 1);
    EXPECT_EQ(Main(L"title"), L"It\u2019s 中文");
    EXPECT_EQ(Item(1, L"title"), L"café \U0001F600");
}

TEST_F(FeedParserTest, Utf8WithAndWithoutBomIsReadAsItIs) {
    ScratchFile file("utf8_bom.xml");
    std::string before = file.Bytes();
    ASSERT_EQ(ParseFeedFile(file.Path(), kNumber), 1);
    EXPECT_EQ(Main(L"title"), L"带BOM");
    EXPECT_EQ(Item(1, L"title"), L"Ä Ö Ü");
    EXPECT_EQ(file.Bytes(), before);
}

TEST_F(FeedParserTest, Gb2312IsConvertedOnceFromCodePage936) {
    ScratchFile file("gb2312.xml");
    ASSERT_EQ(ParseFeedFile(file.Path(), kNumber), 1);
    EXPECT_EQ(Main(L"title"), L"新浪博客");
    EXPECT_EQ(Item(1, L"title"), L"第一篇文章");
    std::string converted = file.Bytes();
    EXPECT_EQ(converted.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(converted.back(), '>');  // the bytes after the last ">" are gone
    // A second parse finds the byte-order mark and leaves the text alone.
    ASSERT_EQ(ParseFeedFile(file.Path(), kNumber), 1);
    EXPECT_EQ(file.Bytes(), converted);
    EXPECT_EQ(Main(L"title"), L"新浪博客");
}

TEST_F(FeedParserTest, Gb2312AtomSurvivesTheFailedRssPass) {
    ScratchFile file("gb2312_atom.xml");
    EXPECT_EQ(ParseRssFeed(file.Path(), kNumber), 0);
    ASSERT_EQ(ParseAtomFeed(file.Path(), kNumber), 1);
    EXPECT_EQ(Main(L"title"), L"中文原子");
    EXPECT_EQ(Item(1, L"title"), L"条目一");
}

TEST_F(FeedParserTest, GbFileWithoutCutPointFailsUnchanged) {
    ScratchFile file("gbk_no_gt.xml");
    std::string before = file.Bytes();
    EXPECT_EQ(ConvertGbFeedToUtf8(file.Path()), 0);
    EXPECT_EQ(ParseFeedFile(file.Path(), kNumber), 0);
    EXPECT_EQ(file.Bytes(), before);
}

TEST_F(FeedParserTest, OtherLegacyEncodingsAndUtf16AreConverted) {
    struct Case {
        const char* fixture;
        const wchar_t* title;
        const wchar_t* item;
    } cases[] = {
        {"big5.xml", L"繁體中文", L"臺灣"},
        // Read as its two-byte part, GBK, where the system lacks GB18030.
        {"gb18030.xml", L"国标扩展的订阅", L"第一条：鑫淼"},
        {"windows1251.xml", L"Новости", L"Привет"},
        {"shift_jis.xml", L"日本語のフィード", L"ニュース"},
        {"utf16le.xml", L"Вторник UTF-16", L"日本"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Parse(c.fixture), 1) << c.fixture;
        EXPECT_EQ(Main(L"title"), c.title) << c.fixture;
        EXPECT_EQ(Item(1, L"title"), c.item) << c.fixture;
    }
}

TEST(FeedEncoding, SourceCodePageDetection) {
    EXPECT_EQ(FeedSourceCodePage("<?xml version=\"1.0\" encoding=\"GB2312\"?>"), 936u);
    EXPECT_EQ(FeedSourceCodePage("<?xml version='1.0' encoding='gbk'?>"), 936u);
    EXPECT_EQ(FeedSourceCodePage("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"GB2312\"?>"), 0u);
    EXPECT_EQ(FeedSourceCodePage("<?xml version=\"1.0\" encoding=\"utf-8\"?>"), 0u);
    EXPECT_EQ(FeedSourceCodePage("<rss version=\"2.0\">"), 0u);
    EXPECT_EQ(FeedSourceCodePage("<?xml version=\"1.0\" encoding=\"KOI8-R\"?>"), 20866u);
    EXPECT_EQ(FeedSourceCodePage("<?xml version=\"1.0\" encoding=\"x-unknown\"?>"), 0u);
    EXPECT_EQ(FeedSourceCodePage(std::string("\xFF\xFE<\0", 4)), 1200u);
}

TEST(FeedCacheWriter, ProfileFunctionsReadBackWhatWasWritten) {
    FeedCache cache;
    cache.hasLink = true;
    cache.link = L"http://example.org/?q=a=b;c";
    cache.title = L"\"Quoted\" ; [not a section] =";
    cache.items.push_back({L"", L""});
    cache.items.push_back({L"Ελληνικά 中文 \U0001F600", L"http://x/\ty"});
    ScratchFile file;
    ASSERT_EQ(WriteFeedCacheFile(file.Path(), cache), 1);

    // The same values written key by key with the profile functions.
    ScratchFile reference;
    WriteBytes(reference.Path(), "\xFF\xFE");
    const wchar_t* ref = reference.Path();
    WritePrivateProfileStringW(L"main", L"link", cache.link.c_str(), ref);
    WritePrivateProfileStringW(L"main", L"title", cache.title.c_str(), ref);
    WritePrivateProfileStringW(L"item1", L"title", L"", ref);
    WritePrivateProfileStringW(L"item1", L"link", L"", ref);
    WritePrivateProfileStringW(L"item2", L"title", cache.items[1].title.c_str(), ref);
    WritePrivateProfileStringW(L"item2", L"link", L"http://x/ y", ref);
    WritePrivateProfileStringW(L"main", L"count", L"2", ref);

    for (const wchar_t* section : {L"main", L"item1", L"item2"}) {
        for (const wchar_t* key : {L"link", L"title", L"count"}) {
            EXPECT_EQ(IniValue(file.Path(), section, key), IniValue(ref, section, key))
                << section << "/" << key;
        }
    }
    EXPECT_EQ(file.Bytes(), reference.Bytes());
}
}  // namespace
