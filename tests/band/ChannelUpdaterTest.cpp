// The engine's channel updates against the HTTP test server: fetch, parse,
// merge and the two page files, read back through the band's link harvest.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/ChannelDate.h"
#include "engine/ChannelFeed.h"
#include "engine/ChannelFiles.h"
#include "engine/ChannelState.h"
#include "engine/ChannelUpdater.h"
#include "engine/EngineFetch.h"
#include "engine/HtmlSanitizer.h"
#include "history/UrlHistoryRecorder.h"
#include "server/LinkHarvest.h"
#include "support/Patience.h"
#include "feeds/FeedEncoding.h"
#include "tinyxml.h"

namespace {

std::wstring Host() {
    const char* host = std::getenv("FEED_TEST_HOST");
    std::string text = host && *host ? host : "127.0.0.1";
    return std::wstring(text.begin(), text.end());
}

std::wstring Url(const std::wstring& pathAndQuery) {
    return L"http://" + Host() + pathAndQuery;
}

std::wstring Fixture(const std::wstring& name, const std::wstring& query = L"") {
    return Url(L"/feeds/" + name + query);
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    ReadWholeFile(path.c_str(), bytes);
    return bytes;
}

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
        ++count;
    return count;
}

bool IsWellFormed(const std::string& xml) {
    TiXmlDocument document;
    document.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    return !document.Error();
}

class ChannelUpdaterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        wchar_t suffix[32];
        wsprintfW(suffix, L"%lu_%lu", GetCurrentProcessId(), GetTickCount());
        tag_ = L"pages" + std::wstring(suffix);
        page_ = L"channel_" + std::wstring(suffix);
        data_ = TempFolder() + L"updater_" + suffix;
    }
    void TearDown() override {
        ChannelUpdater(data_).Forget(page_);
        RemoveDirectoryW(data_.c_str());
        CoUninitialize();
    }

    ChannelUpdateResult Update(const std::wstring& address) {
        progress_.clear();
        return ChannelUpdater(data_).Update(address, page_,
                                            [this](int value) { progress_.push_back(value); });
    }
    std::wstring Tagged(const std::wstring& name) { return Fixture(name, L"?tag=" + tag_); }
    std::string Page() const { return ReadAll(TempFolder() + page_ + L".html"); }
    std::string ItemList() const { return ReadAll(TempFolder() + page_); }

    // The request records of this test's tag, as the server's JSON.
    std::string Requests() const {
        std::wstring file = data_ + L".requests";
        FetchToFile({Url(L"/_requests?tag=" + tag_)}, file, nullptr);
        std::string json = ReadAll(file);
        DeleteFileW(file.c_str());
        return json;
    }

    // The links the band's harvest records from the item list.
    std::vector<std::wstring> Harvested() {
        UrlHistoryRecorder recorder;
        EXPECT_TRUE(recorder.Registered());
        UrlHistoryRecorder::Clear();
        LinkHarvest harvest;
        harvest.Harvest(page_.c_str());
        return UrlHistoryRecorder::RecordedUrls();
    }

    std::wstring tag_;
    std::wstring page_;
    std::wstring data_;
    std::vector<int> progress_;
};

TEST_F(ChannelUpdaterTest, FirstUpdateWritesPageAndItemListWithEveryLink) {
    ChannelUpdateResult result = Update(Fixture(L"rss20.xml"));
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(result.notModified);
    EXPECT_EQ(result.feedTitle, L"Tom & Jerry's <News>");
    EXPECT_TRUE(result.hasUnread);
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.front(), 0);
    EXPECT_EQ(progress_.back(), 10);
    for (size_t i = 1; i < progress_.size(); ++i) EXPECT_LE(progress_[i - 1], progress_[i]);

    std::string page = Page();
    EXPECT_NE(page.find("href=\"rss.css\""), std::string::npos);
    EXPECT_NE(page.find("Tom &amp; Jerry&#39;s &lt;News&gt;"), std::string::npos);
    EXPECT_NE(page.find("\xE4\xB8\xAD\xE6\x96\x87\xE6\xA0\x87\xE9\xA2\x98"), std::string::npos);
    EXPECT_EQ(CountOf(page, "class=\"unread\""), 3);
    EXPECT_EQ(CountOf(page, "<span class=\"mark\">"), 3);
    EXPECT_TRUE(IsWellFormed(ItemList()));
    EXPECT_EQ(Harvested(), (std::vector<std::wstring>{L"http://example.org/news/1",
                                                      L"http://example.org/news/2?a=1&b=2",
                                                      L"http://example.org/news/3"}));
}

TEST_F(ChannelUpdaterTest, UnchangedFeedCostsOneConditionalRequest) {
    ASSERT_TRUE(Update(Tagged(L"rss20.xml")).ok);
    std::string page = Page();
    std::string list = ItemList();
    ChannelUpdateResult second = Update(Tagged(L"rss20.xml"));
    EXPECT_TRUE(second.ok);
    EXPECT_TRUE(second.notModified);
    EXPECT_EQ(second.feedTitle, L"Tom & Jerry's <News>");
    EXPECT_TRUE(second.hasUnread);
    EXPECT_EQ(progress_.back(), 10);
    EXPECT_EQ(Page(), page);
    EXPECT_EQ(ItemList(), list);
    std::string requests = Requests();
    EXPECT_EQ(CountOf(requests, "\"GET\""), 2) << requests;
    EXPECT_EQ(CountOf(requests, "If-None-Match"), 1) << requests;
    EXPECT_EQ(CountOf(requests, "If-Modified-Since"), 1) << requests;

    // A page that went missing comes back from the stored items on a 304.
    DeleteFileW((TempFolder() + page_ + L".html").c_str());
    EXPECT_TRUE(Update(Tagged(L"rss20.xml")).notModified);
    EXPECT_EQ(Page(), page);
}

TEST_F(ChannelUpdaterTest, FailedUpdatesKeepThePreviousItemsAndPages) {
    ASSERT_TRUE(Update(Fixture(L"rss20.xml")).ok);
    std::string page = Page();
    std::string list = ItemList();
    const std::wstring failing[] = {
        Fixture(L"rss20.xml", L"?status=500"),
        Fixture(L"rss20.xml", L"?cut=100"),
        Fixture(L"missing.xml"),
        Fixture(L"not_a_feed.html"),
        Fixture(L"broken.xml"),
        L"http://" + Host() + L":9/feeds/rss20.xml",
        Url(L"/_loop"),
        L"ftp://" + Host() + L"/feeds/rss20.xml",
    };
    for (const std::wstring& address : failing) {
        ChannelUpdateResult result = Update(address);
        EXPECT_FALSE(result.ok) << std::string(address.begin(), address.end());
        EXPECT_EQ(Page(), page);
        EXPECT_EQ(ItemList(), list);
    }
    EXPECT_TRUE(ChannelUpdater(data_).HasUnread(page_));
    // Redirects within the bound are followed.
    EXPECT_TRUE(Update(Url(L"/_chain?n=3&to=/feeds/rss10.xml")).ok);
}

TEST_F(ChannelUpdaterTest, ReadsRss10AtomAndLegacyEncodings) {
    ChannelUpdateResult rdf = Update(Fixture(L"rss10.xml"));
    ASSERT_TRUE(rdf.ok);
    EXPECT_EQ(rdf.feedTitle, L"RDF Site");
    EXPECT_EQ(Harvested(), std::vector<std::wstring>{L"http://example.org/rdf/1"});

    ChannelUpdater(data_).Forget(page_);
    ChannelUpdateResult atom = Update(Fixture(L"atom10.xml"));
    ASSERT_TRUE(atom.ok);
    EXPECT_EQ(atom.feedTitle, L"Atom One");
    EXPECT_EQ(Harvested(), (std::vector<std::wstring>{L"http://example.org/a",
                                                      L"http://example.org/b?x=1&y=2"}));
    EXPECT_NE(Page().find("Entry without href"), std::string::npos);
    EXPECT_NE(Page().find("href=\"http://example.org/\""), std::string::npos);  // alternate link

    EXPECT_EQ(Update(Fixture(L"gb2312.xml")).feedTitle, L"\x65B0\x6D6A\x535A\x5BA2");  // 新浪博客
    EXPECT_TRUE(Update(Fixture(L"big5.xml")).ok);
    EXPECT_TRUE(Update(Fixture(L"utf16le.xml")).ok);
}

TEST_F(ChannelUpdaterTest, ScriptFromFeedItemsDoesNotReachThePage) {
    ASSERT_TRUE(Update(Fixture(L"hostile_items.xml")).ok);
    std::string page = Page();
    for (const char* banned :
         {"<script", "alert", "onclick", "onerror", "onload", "javascript:", "vbscript:msgbox(",
          "data:text", "<iframe", "<object", "<embed", "<style>", "expression", "<svg", "java\t"})
        EXPECT_EQ(page.find(banned), std::string::npos) << banned;
    EXPECT_NE(page.find("Safe <b>bold</b> text"), std::string::npos);
    EXPECT_NE(page.find("<img src=\"http://example.org/i.png\" />"), std::string::npos);
    std::wstring host = Host();
    std::string relative =
        "href=\"http://" + std::string(host.begin(), host.end()) + "/feeds/relative/page.html\"";
    EXPECT_NE(page.find(relative), std::string::npos);
    EXPECT_NE(page.find("<div>styled</div>"), std::string::npos);
    // The item whose own link is script keeps its title, unlinked.
    EXPECT_NE(page.find("<div id=\"title\">Bad item link</div>"), std::string::npos);
    EXPECT_TRUE(IsWellFormed(ItemList()));
    EXPECT_EQ(Harvested(), std::vector<std::wstring>{L"http://example.org/s/1"});
}

TEST_F(ChannelUpdaterTest, ReadMarksSurviveRefetchAndDeletionForgetsAll) {
    ASSERT_TRUE(Update(Url(L"/_feed?items=2")).ok);
    ChannelUpdater updater(data_);
    updater.MarkAllRead(page_);
    EXPECT_FALSE(updater.HasUnread(page_));
    EXPECT_EQ(CountOf(Page(), "class=\"unread\""), 0);

    ChannelUpdateResult more = Update(Url(L"/_feed?items=4"));
    ASSERT_TRUE(more.ok);
    EXPECT_TRUE(more.hasUnread);
    std::string page = Page();
    EXPECT_EQ(CountOf(page, "class=\"unread\""), 2);
    // Items without dates: the new arrivals come first, in feed order.
    size_t third = page.find("Item 3");
    size_t fourth = page.find("Item 4");
    size_t first = page.find("Item 1<");
    ASSERT_NE(third, std::string::npos);
    EXPECT_LT(third, fourth);
    EXPECT_LT(fourth, first);

    ASSERT_TRUE(DeleteFileW((TempFolder() + page_).c_str()));
    EXPECT_TRUE(updater.WritePages(page_));
    EXPECT_TRUE(IsWellFormed(ItemList()));

    updater.Forget(page_);
    EXPECT_FALSE(updater.HasUnread(page_));
    EXPECT_FALSE(updater.WritePages(page_));
    EXPECT_EQ(GetFileAttributesW((TempFolder() + page_ + L".html").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

// HTTPS runs with the certificate checks on: the TLS test server's
// throwaway certificate is refused. (Trusting it from the test does not work
// under Wine 8: its chain engine ignores roots added to the registry stores.)
TEST_F(ChannelUpdaterTest, HttpsRefusesAnUntrustedCertificate) {
    const char* server = std::getenv("FEED_TEST_TLS_DIR");
    if (!server || !*server) GTEST_SKIP() << "no HTTPS test server";
    std::wstring certificate =
        L"Z:" + std::wstring(server, server + std::strlen(server)) + L"/cert.der";
    if (GetFileAttributesW(certificate.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the HTTPS test server did not start";
    std::wstring address = L"https://" + Host() + L"/feeds/rss20.xml";
    FetchResult fetched = FetchToFile({address}, data_ + L".download", nullptr);
    EXPECT_EQ(fetched.outcome, FetchResult::kFailed);
    EXPECT_EQ(fetched.error, static_cast<DWORD>(ERROR_INTERNET_INVALID_CA));
    EXPECT_FALSE(Update(address).ok);
}

// Slow, endless and oversized answers end within the limits.
TEST_F(ChannelUpdaterTest, DownloadsStayWithinTheirLimits) {
    FetchLimits limits;
    limits.receiveTimeoutMs = 1000;
    limits.totalMs = 3000;
    limits.maxBytes = 100000;
    limits.maxRedirects = 3;
    std::wstring file = data_ + L".download";
    struct Case {
        const wchar_t* path;
        DWORD error;  // 0: any
    };
    const Case cases[] = {
        {L"/feeds/rss20.xml?delay=30", 0},  // Wine reports 12030, Windows 12002
        {L"/feeds/rss20.xml?drip=900&piece=1", ERROR_INTERNET_TIMEOUT},
        {L"/_endless", ERROR_FILE_TOO_LARGE},
        {L"/_bytes?size=200000", ERROR_FILE_TOO_LARGE},
        {L"/_bytes?size=200000&chunked=1", ERROR_FILE_TOO_LARGE},
        {L"/_chain?n=3&to=/feeds/rss20.xml", ERROR_HTTP_REDIRECT_FAILED},
    };
    for (const Case& item : cases) {
        // A fetch that waited for the server would end with its body, not
        // with the limit's error.
        FetchResult fetched = FetchToFile({Url(item.path)}, file, nullptr, limits);
        EXPECT_EQ(fetched.outcome, FetchResult::kFailed);
        if (item.error) {
            EXPECT_EQ(fetched.error, item.error);
        }
        EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    FetchResult chained =
        FetchToFile({Url(L"/_chain?n=2&to=/feeds/rss20.xml")}, file, nullptr, limits);
    EXPECT_EQ(chained.outcome, FetchResult::kFetched);
    EXPECT_EQ(chained.finalAddress, Url(L"/feeds/rss20.xml"));
    DeleteFileW(file.c_str());
}

TEST_F(ChannelUpdaterTest, PagesUpdateSideBySideAndABrokenStateStartsAfresh) {
    std::wstring other = page_ + L"_other";
    ChannelUpdateResult first;
    ChannelUpdateResult second;
    std::thread a([&] { first = ChannelUpdater(data_).Update(Fixture(L"rss20.xml"), page_, {}); });
    std::thread b(
        [&] { second = ChannelUpdater(data_).Update(Fixture(L"atom10.xml"), other, {}); });
    a.join();
    b.join();
    EXPECT_EQ(first.feedTitle, L"Tom & Jerry's <News>");
    EXPECT_EQ(second.feedTitle, L"Atom One");
    ChannelUpdater(data_).Forget(other);

    // A state file cut short by a crash reads as no state: a full fetch.
    std::wstring state = data_ + L"\\" + page_ + L".channel";
    std::string bytes = ReadAll(state);
    ASSERT_FALSE(bytes.empty());
    WriteWholeFile(state.c_str(), bytes.substr(0, bytes.size() / 2));
    EXPECT_FALSE(ChannelUpdater(data_).WritePages(page_));
    ChannelUpdateResult again = Update(Fixture(L"rss20.xml"));
    EXPECT_TRUE(again.ok);
    EXPECT_FALSE(again.notModified);
}

TEST(ChannelStateFile, KeepsEveryTextAsItWas) {
    ChannelState state;
    state.title = L"Quotes \" ' <&> and \xD83D\xDE00";
    state.etag = "\"abc\"";
    ChannelItem item;
    item.key = L"k";
    item.description = L"<pre>line one\n  line two\r\n\tend</pre>";
    item.read = true;
    item.stamp = 133000000000000000ULL;
    state.items.push_back(item);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"state_roundtrip.channel";
    ASSERT_TRUE(SaveChannelState(path, state));
    ChannelState loaded;
    ASSERT_TRUE(LoadChannelState(path, loaded));
    DeleteFileW(path.c_str());
    EXPECT_EQ(loaded.title, state.title);
    EXPECT_EQ(loaded.etag, state.etag);
    ASSERT_EQ(loaded.items.size(), 1u);
    EXPECT_EQ(loaded.items[0].description, item.description);
    EXPECT_TRUE(loaded.items[0].read);
    EXPECT_EQ(loaded.items[0].stamp, item.stamp);
}

TEST(ChannelMerge, NewestFirstByDateCappedAndReadMarksKept) {
    ChannelState state;
    ChannelFeed feed;
    for (int i = 0; i < 250; ++i) {
        ChannelItem item;
        item.key = L"k" + std::to_wstring(i);
        item.stamp = 1000 + i;  // later items are newer
        item.position = i;
        feed.items.push_back(item);
    }
    MergeChannelFeed(feed, 5000, state);
    ASSERT_EQ(state.items.size(), kMaxChannelItems);
    EXPECT_EQ(state.items.front().key, L"k249");
    EXPECT_EQ(state.items.back().key, L"k50");
    state.items[1].read = true;  // k248

    feed.items.resize(249);  // k249 leaves the feed, but stays stored
    feed.items[248].title = L"renamed";
    MergeChannelFeed(feed, 6000, state);
    EXPECT_EQ(state.items[0].key, L"k249");
    EXPECT_EQ(state.items[1].title, L"renamed");
    EXPECT_TRUE(state.items[1].read);
    EXPECT_EQ(state.items[1].firstSeen, 5000u);
}

TEST(ChannelFeedDates, Rfc822AndIso8601MeetInUtc) {
    const wchar_t* same[] = {L"Tue, 02 Jan 2024 08:30:00 +0800", L"2024-01-02T00:30:00Z",
                             L"2024-01-01T19:30:00-05:00", L"1 Jan 24 16:30 PST",
                             L"2024-01-02T00:30:00.250Z"};
    ULONGLONG expected = ParseFeedDate(same[1]);
    ASSERT_NE(expected, 0u);
    for (const wchar_t* text : same) EXPECT_EQ(ParseFeedDate(text) / 10000000, expected / 10000000);
    for (const wchar_t* bad : {L"", L"yesterday", L"2024-13-01", L"32 Jan 2024 00:00 GMT"})
        EXPECT_EQ(ParseFeedDate(bad), 0u);
}

TEST(HtmlSanitizer, OutputIsWellFormedWhateverTheInput) {
    const wchar_t* inputs[] = {
        L"<p>open <b>nested <i>never closed",
        L"</div></p>stray ends<br><hr><img src=x.png>",
        L"<a href='http://a/?x=1&y=2'>amp</a> &nbsp;&copy;&#x1F600;&#0;&bogus; & <",
        L"<script>never ends",
        L"<p/><a/><table><tr><td colspan=2 onclick=x>c</td></tr></table>",
        L"\x0001\x0008 control <!-- comment <script>x</script> --> after",
    };
    for (const wchar_t* input : inputs) {
        std::string xml = "<div>" + ToUtf8(SanitizeHtml(input, L"http://h/feed")) + "</div>";
        EXPECT_TRUE(IsWellFormed(xml)) << xml;
    }
    EXPECT_EQ(SanitizeHtml(L"<script>never ends", L""), L"");
    EXPECT_EQ(SafeLink(L" JavaScript:x", L"http://h/"), L"");
    EXPECT_EQ(SafeLink(L"//other/x", L"https://h/feed"), L"https://other/x");
    EXPECT_EQ(HtmlToText(L"<b>a</b>b<br/>c &amp;  d"), L"ab c & d");
}

}  // namespace
