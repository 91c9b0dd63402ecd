// Subscription lists in and out as OPML: the shared reader on what other
// readers write and on hostile documents, the store's import (skipped
// addresses, one change or none) and its export.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ButtonSceneSupport.h"
#include "common/OpmlReader.h"
#include "common/TextEncoding.h"
#include "feeds/FeedCacheWriter.h"
#include "feeds/IniSnapshot.h"
#include "feeds/SubscriptionExport.h"
#include "feeds/SubscriptionImport.h"
#include "feeds/SubscriptionStore.h"

using namespace feedtest;

namespace {

std::string Document(const std::string& body, const std::string& prologue = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + prologue +
           "<opml version=\"2.0\"><head><title>t</title></head><body>" + body + "</body></opml>\n";
}

std::string Feed(const std::string& title, const std::string& address) {
    return "<outline type=\"rss\" text=\"" + title + "\" xmlUrl=\"" + address + "\"/>";
}

// Outlines nested `levels` deep inside the body; the innermost is a feed.
std::string Nested(int levels) {
    std::string open, close;
    for (int i = 1; i < levels; ++i) {
        open += "<outline text=\"d\">";
        close += "</outline>";
    }
    return open + Feed("deep", "http://x.invalid/deep") + close;
}

struct Row {
    std::wstring title;
    std::wstring xmlUrl;
};

std::vector<Row> StoreRows() {
    std::vector<Row> rows;
    int count = ReadCount(scene::RssIni().c_str());
    for (int n = 1; n <= count; ++n) {
        std::wstring section = L"rss" + std::to_wstring(n);
        rows.push_back({IniValue(scene::RssIni(), section.c_str(), L"title"),
                        IniValue(scene::RssIni(), section.c_str(), L"xmlUrl")});
    }
    return rows;
}

ImportSummary Import(const std::string& document) {
    ScratchFile file;
    WriteBytes(file.Path(), document);
    return ImportOpmlFile(scene::RssIni().c_str(), scene::HistoryIni().c_str(), file.Path());
}

class OpmlTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDataFolder();
        EnsureStoreFiles(scene::RssIni().c_str(), scene::HistoryIni().c_str());
    }
    void TearDown() override { ClearDataFolder(); }
};

TEST_F(OpmlTransferTest, AnExportImportedIntoAnEmptyStoreGivesTheSameSubscriptionsInOrder) {
    scene::WriteStore({{L"新闻 & \"引号\" <一>", L"http://a.invalid/rss?x=1&y=2", L"", 1000},
                       {L"Second", L"https://b.invalid/feed", L"http://b.invalid/stored", 1000},
                       {L"Third", L"http://c.invalid/atom", L"", 1000}});
    FeedCache cache;
    cache.hasLink = true;
    cache.link = L"http://a.invalid/site";
    cache.title = L"ignored";
    ASSERT_EQ(WriteFeedCacheFile(FeedCachePath(1).c_str(), cache), 1);
    std::vector<Row> before = StoreRows();

    ScratchFile file;
    ASSERT_EQ(ExportOpmlFile(scene::RssIni().c_str(), file.Path()), 3);
    std::string written = file.Bytes();
    EXPECT_EQ(written.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), 0u);
    EXPECT_NE(written.find("<opml version=\"2.0\">"), std::string::npos);
    EXPECT_EQ(CountOf(written, "type=\"rss\""), 3);
    // The site as the cache knows it, else as the store kept it.
    EXPECT_NE(written.find("htmlUrl=\"http://a.invalid/site\""), std::string::npos) << written;
    EXPECT_NE(written.find("htmlUrl=\"http://b.invalid/stored\""), std::string::npos) << written;
    EXPECT_EQ(CountOf(written, "htmlUrl="), 2);

    ClearDataFolder();
    EnsureStoreFiles(scene::RssIni().c_str(), scene::HistoryIni().c_str());
    ImportSummary summary =
        ImportOpmlFile(scene::RssIni().c_str(), scene::HistoryIni().c_str(), file.Path());
    EXPECT_EQ(summary.verdict, OpmlVerdict::kRead);
    EXPECT_TRUE(summary.stored);
    EXPECT_EQ(summary.added, 3);
    EXPECT_EQ(summary.firstNumber, 1);
    std::vector<Row> after = StoreRows();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].title, before[i].title) << i;
        EXPECT_EQ(after[i].xmlUrl, before[i].xmlUrl) << i;
    }
    EXPECT_EQ(IniValue(scene::RssIni(), L"rss1", L"htmlUrl"), L"http://a.invalid/site");
    // Imported ones are stale: the stale refresh fetches them if the import's own does not.
    EXPECT_TRUE(IsStale(scene::RssIni().c_str(), 3));

    // The same list again adds nothing and leaves the file as it is.
    std::string list = ReadBytes(scene::RssIni());
    summary = ImportOpmlFile(scene::RssIni().c_str(), scene::HistoryIni().c_str(), file.Path());
    EXPECT_TRUE(summary.stored);
    EXPECT_EQ(summary.added, 0);
    EXPECT_EQ(summary.skipped, 3);
    EXPECT_EQ(ReadBytes(scene::RssIni()), list);
}

TEST_F(OpmlTransferTest, NestedFeedsAreAppendedOnceAndKnownAddressesSkipped) {
    // An ANSI list, as older versions wrote it, keeps its encoding.
    WriteBytes(scene::RssIni(),
               "[main]\r\ncount=1\r\n[rss1]\r\ntitle=Blog\r\nxmlUrl=HTTP://127.0.0.1:9/blog.xml\r\n"
               // Left behind by a crash: must not become part of subscription 2.
               "[rss2]\r\ntitle=stale\r\nupdTime=5\r\n");
    WriteBytes(FeedCachePath(2), "stale");
    WritePrivateProfileStringW(L"rss2", L"his", L"352441C2|", scene::HistoryIni().c_str());
    // GB2312, nested folders, a feed listed twice.
    ImportSummary summary =
        ImportOpmlFile(scene::RssIni().c_str(), scene::HistoryIni().c_str(),
                       SourcePath("tests/data/opml/subscriptions-1.0.opml").c_str());
    EXPECT_TRUE(summary.stored);
    EXPECT_EQ(summary.added, 3);
    EXPECT_EQ(summary.skipped, 2);
    std::vector<Row> rows = StoreRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].title, L"Kernel");
    EXPECT_EQ(rows[2].title, L"Web");
    EXPECT_EQ(rows[3].title, L"Deep");
    EXPECT_EQ(IniValue(scene::RssIni(), L"rss2", L"updTime"), L"<missing>");
    EXPECT_FALSE(Exists(FeedCachePath(2)));
    EXPECT_EQ(IniValue(scene::HistoryIni(), L"rss2", L"his"), L"<missing>");
    EXPECT_NE(ReadBytes(scene::RssIni()).substr(0, 2), "\xFF\xFE");

    // UTF-16 with a byte-order mark; what the add dialogs would store.
    std::wstring wide =
        L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?><opml version=\"1.0\"><body>"
        L"<outline text=\"  \" xmlUrl=\" example.invalid/plain \"/>"
        L"<outline title=\"标题\" text=\"文字\" xmlUrl=\"HTTP://EXAMPLE.invalid/plain\"/>"
        L"<outline text=\"大小写\" xmlUrl=\"http://example.invalid/PLAIN\" "
        L"htmlUrl=\"javascript:alert(1)\"/>"
        L"<outline text=\"no feed\" htmlUrl=\"http://site.invalid/\"/>"
        L"<outline text=\"bad\" xmlUrl=\"feed://example.invalid/other\"/>"
        L"<outline text=\"bad\" xmlUrl=\"javascript:alert(1)\"/>"
        L"</body></opml>";
    std::string bytes(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    summary = Import(bytes);
    EXPECT_EQ(summary.verdict, OpmlVerdict::kRead);
    EXPECT_EQ(summary.added, 2);
    EXPECT_EQ(summary.skipped, 1);  // the same address with its host in capitals
    EXPECT_EQ(summary.firstNumber, 5);
    rows = StoreRows();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[4].title, L"无标题");
    EXPECT_EQ(rows[4].xmlUrl, L"http://example.invalid/plain");
    EXPECT_EQ(rows[5].title, L"大小写");
    // Only a web address is kept as the site the menu opens.
    EXPECT_EQ(IniValue(scene::RssIni(), L"rss6", L"htmlUrl"), L"");
}

TEST_F(OpmlTransferTest, HostileAndMalformedDocumentsAreRefusedWithTheStoreUntouched) {
    scene::WriteStore({{L"Kept", L"http://kept.invalid/rss", L"", 1000}});
    std::string list = ReadBytes(scene::RssIni());
    std::string fetched = ToUtf8(ServerUrl(L"/feeds/rss20.xml?tag=opml-entity"));
    std::string laughs =
        "<!DOCTYPE opml [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>\n";
    struct Case {
        const char* name;
        std::string document;
        OpmlVerdict verdict;
    } cases[] = {
        {"expanding entities", Document(Feed("&c;", "http://x.invalid/a"), laughs),
         OpmlVerdict::kEntities},
        {"external entity",
         Document(Feed("&x;", "http://x.invalid/a"),
                  "<!DOCTYPE opml [<!ENTITY x SYSTEM \"" + fetched + "\">]>\n"),
         OpmlVerdict::kEntities},
        {"parameter entity",
         Document("", "<!DOCTYPE opml [<!ENTITY % p SYSTEM \"" + fetched + "\"> %p;]>\n"),
         OpmlVerdict::kEntities},
        {"undeclared entity", Document(Feed("&nbsp;", "http://x.invalid/a")),
         OpmlVerdict::kEntities},
        {"257 levels", Document(Nested(255)), OpmlVerdict::kTooDeep},
        {"truncated", Document(Feed("a", "http://x.invalid/a")).substr(0, 90),
         OpmlVerdict::kMalformed},
        {"crossed tags", Document("<outline text=\"a\"></body></outline>"),
         OpmlVerdict::kMalformed},
        {"unquoted attribute", Document("<outline text=a xmlUrl=\"http://x.invalid/a\"/>"),
         OpmlVerdict::kMalformed},
        {"bad character reference", Document(Feed("&#0;", "http://x.invalid/a")),
         OpmlVerdict::kMalformed},
        {"two roots", Document(Feed("a", "http://x.invalid/a")) + "<opml/>",
         OpmlVerdict::kMalformed},
        {"empty", "", OpmlVerdict::kMalformed},
        {"a feed, not a list", "<rss version=\"2.0\"><channel/></rss>", OpmlVerdict::kNotOpml},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ImportSummary summary = Import(test.document);
        EXPECT_EQ(summary.verdict, test.verdict);
        EXPECT_FALSE(summary.stored);
        EXPECT_EQ(summary.added, 0);
        EXPECT_EQ(ReadBytes(scene::RssIni()), list);
    }
    EXPECT_EQ(RecordedRequests(L"opml-entity"), "[]");

    // Just inside the limits: 256 levels, a document type without entities.
    ImportSummary deepest = Import(Document(Nested(254), "<!DOCTYPE opml>\n"));
    EXPECT_EQ(deepest.verdict, OpmlVerdict::kRead);
    EXPECT_EQ(deepest.added, 1);

    // One byte over 32 MiB, refused before it is read.
    ScratchFile huge;
    std::string document = Document(Feed("a", "http://x.invalid/huge"));
    document.insert(document.size() - 1, std::string(kMaxOpmlBytes + 1 - document.size(), ' '));
    WriteBytes(huge.Path(), document);
    list = ReadBytes(scene::RssIni());
    ImportSummary summary =
        ImportOpmlFile(scene::RssIni().c_str(), scene::HistoryIni().c_str(), huge.Path());
    EXPECT_EQ(summary.verdict, OpmlVerdict::kTooLarge);
    EXPECT_EQ(ReadBytes(scene::RssIni()), list);
}

}  // namespace
