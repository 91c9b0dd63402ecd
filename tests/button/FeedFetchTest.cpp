#include <gtest/gtest.h>

#include "FeedTestSupport.h"
#include "feeds/FeedFetcher.h"
#include "feeds/FetchConfig.h"
#include "web/SystemDownload.h"

using namespace feedtest;

namespace {
// The system download announces itself as the browser; the direct request
// has no browser user agent and accepts text only.
constexpr char kSystemSignature[] = "\"User-Agent\": \"Mozilla";
constexpr char kDirectSignature[] = "\"Accept\": \"text/*\"";

std::wstring Fixture(const char* name) {
    return SourcePath(std::string("tests/data/feeds/") + name);
}

class FeedFetchTest : public ::testing::Test {
protected:
    void SetUp() override { ServerGet(L"/_reset"); }
};

TEST_F(FeedFetchTest, SystemDownloadStoresTheDocument) {
    ScratchFile file;
    ASSERT_TRUE(SystemDownload(ServerUrl(L"/feeds/rss20.xml?tag=sys").c_str(), file.Path()));
    EXPECT_EQ(file.Bytes(), ReadBytes(Fixture("rss20.xml")));
    std::string record = RecordedRequests(L"sys");
    EXPECT_EQ(CountOf(record, kSystemSignature), 1) << record;
}

TEST_F(FeedFetchTest, SystemDownloadFailsOnMissingDocumentAndClosedPort) {
    ScratchFile file;
    EXPECT_FALSE(SystemDownload(ServerUrl(L"/feeds/none.xml").c_str(), file.Path()));
    EXPECT_FALSE(SystemDownload(ServerUrl(L"/feeds/rss20.xml", L":8081").c_str(), file.Path()));
}

TEST_F(FeedFetchTest, SystemDownloadStopsARedirectLoop) {
    ScratchFile file;
    EXPECT_FALSE(SystemDownload(ServerUrl(L"/_loop").c_str(), file.Path()));
}

TEST_F(FeedFetchTest, SystemDownloadStopsAbove32MiB) {
    ScratchFile file;
    EXPECT_FALSE(SystemDownload(ServerUrl(L"/_bytes?size=41943040").c_str(), file.Path()));
    EXPECT_FALSE(Exists(file.Path()));
}

TEST_F(FeedFetchTest, OrdinaryAddressTriesTheSystemDownloadFirst) {
    ScratchFile file;
    ASSERT_EQ(FetchFeed(ServerUrl(L"/feeds/atom10.xml?tag=plain").c_str(), file.Path()), 1);
    std::string record = RecordedRequests(L"plain");
    EXPECT_EQ(CountOf(record, kSystemSignature), 1) << record;
    EXPECT_EQ(CountOf(record, kDirectSignature), 0) << record;
}

TEST_F(FeedFetchTest, FailedSystemDownloadFallsBackToPort80) {
    // Nothing listens on 8081: only the direct request, which ignores the
    // port, reaches the server.
    ScratchFile file;
    ASSERT_EQ(FetchFeed(ServerUrl(L"/feeds/rss10.xml?tag=fallback", L":8081").c_str(), file.Path()),
              1);
    EXPECT_EQ(file.Bytes(), ReadBytes(Fixture("rss10.xml")));
    std::string record = RecordedRequests(L"fallback");
    EXPECT_EQ(CountOf(record, kDirectSignature), 1) << record;
    EXPECT_EQ(CountOf(record, kSystemSignature), 0) << record;
}

TEST_F(FeedFetchTest, BlogPatternAddressTriesDirectFirstEvenOnAnotherPort) {
    for (const wchar_t* pattern : kDirectFirstAddressPatterns) {
        ServerGet(L"/_reset");
        std::wstring address =
            ServerUrl(L"/feeds/rss20.xml?tag=blog&from=", L":8081") + pattern + L"x";
        ASSERT_TRUE(PrefersDirectDownload(address.c_str()));
        ScratchFile file;
        ASSERT_EQ(FetchFeed(address.c_str(), file.Path()), 1);
        EXPECT_EQ(file.Bytes(), ReadBytes(Fixture("rss20.xml")));
        std::string record = RecordedRequests(L"blog");
        EXPECT_EQ(CountOf(record, kDirectSignature), 1) << record;
        EXPECT_EQ(CountOf(record, kSystemSignature), 0) << record;
    }
}

TEST_F(FeedFetchTest, BlogPatternFallsBackToTheSystemDownload) {
    std::wstring address = ServerUrl(L"/feeds/rss20.xml?status=404&tag=blogfail&from=") +
                           kDirectFirstAddressPatterns[0];
    ScratchFile file;
    EXPECT_EQ(FetchFeed(address.c_str(), file.Path()), 0);
    std::string record = RecordedRequests(L"blogfail");
    EXPECT_EQ(CountOf(record, kDirectSignature), 1) << record;
    EXPECT_EQ(CountOf(record, kSystemSignature), 1) << record;
    EXPECT_LT(record.find(kDirectSignature), record.find(kSystemSignature));
}

TEST_F(FeedFetchTest, PatternsAreCaseSensitiveSubstrings) {
    std::wstring upper = kDirectFirstAddressPatterns[0];
    for (wchar_t& ch : upper) ch = towupper(ch);
    EXPECT_FALSE(PrefersDirectDownload((L"http://" + upper).c_str()));
    EXPECT_FALSE(PrefersDirectDownload(L"http://example.org/feed"));
    EXPECT_FALSE(PrefersDirectDownload(nullptr));
}
}  // namespace
