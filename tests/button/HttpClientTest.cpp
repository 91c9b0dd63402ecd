#include <gtest/gtest.h>

#include "FeedTestSupport.h"
#include "support/CaptureServer.h"
#include "web/DirectDownload.h"
#include "web/HttpClient.h"

using namespace feedtest;

namespace {
std::wstring Fixture(const char* name) {
    return SourcePath(std::string("tests/data/feeds/") + name);
}

TEST(HttpClient, OperationsOutOfOrderReturnTheirCodes) {
    HttpClient client;
    EXPECT_EQ(client.OpenRequest(L"GET", L"/", nullptr, 0, true), HttpClient::kNoConnection);
    EXPECT_EQ(client.Send(nullptr, 0), HttpClient::kNoRequest);
    EXPECT_EQ(client.Connect(nullptr, 80, 0), HttpClient::kNoServer);
    EXPECT_EQ(client.Connect(L"", 80, 0), HttpClient::kNoServer);
    ASSERT_EQ(client.Connect(ServerHost().c_str(), 80, 0), 0u);
    EXPECT_EQ(client.Send(nullptr, 0), HttpClient::kNoRequest);
    EXPECT_FALSE(client.AddCookie(L"a=b"));
}

TEST(HttpClient, ClosedPortFailsWithTheSystemError) {
    HttpClient client;
    ASSERT_EQ(client.Connect(ServerHost().c_str(), 8081, 0), 0u);
    ASSERT_EQ(client.OpenRequest(L"GET", L"/", nullptr, 0, true), 0u);
    EXPECT_EQ(client.Send(nullptr, 0), static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
}

TEST(HttpClient, ReadToMemorySendsCookieAndAcceptsText) {
    HttpClient client;
    ASSERT_EQ(client.Connect(ServerHost().c_str(), 80, 0), 0u);
    ASSERT_EQ(client.OpenRequest(L"GET", L"/feeds/rss20.xml?tag=memory", nullptr, 0, true), 0u);
    EXPECT_TRUE(client.AddCookie(L"a=1"));
    ASSERT_EQ(client.Send(nullptr, 0), 0u);
    EXPECT_EQ(client.StatusCode(), 200u);
    std::string body;
    EXPECT_EQ(client.ReadToMemory(body), 0u);
    EXPECT_EQ(body, ReadBytes(Fixture("rss20.xml")));
    std::string record = RecordedRequests(L"memory");
    EXPECT_NE(record.find("\"Accept\": \"text/*\""), std::string::npos) << record;
    EXPECT_NE(record.find("\"Cookie\": \"a=1\""), std::string::npos) << record;
}

// The reader's login cookie is the user's key: a redirect to another host
// must not take it along, one on the same host keeps it.
TEST(HttpClient, ACookieFollowsRedirectsOnlyOnItsOwnHost) {
    CaptureServer other(OtherLoopbackHost());
    ASSERT_TRUE(other.Listening());
    ServerGet(L"/_reset");
    for (const std::wstring& target :
         {other.Url() + L"/landing", std::wstring(L"/feeds/rss20.xml?tag=same-host")}) {
        HttpClient client;
        ASSERT_EQ(client.Connect(ServerHost().c_str(), 80, 0), 0u);
        std::wstring path = L"/_redirect?tag=redirected&to=" + target;
        ASSERT_EQ(client.OpenRequest(L"GET", path.c_str(), nullptr, 0, true), 0u);
        ASSERT_TRUE(client.AddCookie(L"uin=o0000001001; skey=secret; from=toolbar;"));
        ASSERT_EQ(client.Send(nullptr, 0), 0u) << target;
        EXPECT_EQ(client.StatusCode(), 200u) << target;
    }
    EXPECT_EQ(CountOf(RecordedRequests(L"redirected"), "skey=secret"), 2);
    EXPECT_EQ(CountOf(RecordedRequests(L"same-host"), "skey=secret"), 1);
    std::vector<std::string> landed = other.Requests();
    ASSERT_EQ(landed.size(), 1u);
    EXPECT_EQ(landed[0].find("GET /landing"), 0u) << landed[0];
    EXPECT_EQ(landed[0].find("skey"), std::string::npos) << landed[0];
}

TEST(HttpClient, ReadToFileOfAnUncreatableFileReturnsTheError) {
    HttpClient client;
    ASSERT_EQ(client.Connect(ServerHost().c_str(), 80, 0), 0u);
    ASSERT_EQ(client.OpenRequest(L"GET", L"/feeds/rss20.xml", nullptr, 0, true), 0u);
    ASSERT_EQ(client.Send(nullptr, 0), 0u);
    EXPECT_EQ(client.ReadToFile(L"C:\\no\\such\\folder\\x.xml"),
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(DirectDownload, StoresTheDocument) {
    ScratchFile file;
    ASSERT_TRUE(DirectDownload(ServerHost().c_str(), L"/feeds/atom10.xml", file.Path()));
    EXPECT_EQ(file.Bytes(), ReadBytes(Fixture("atom10.xml")));
}

TEST(DirectDownload, ErrorStatusesAndCutBodiesFailWithoutFile) {
    for (const wchar_t* path :
         {L"/feeds/missing.xml", L"/feeds/rss20.xml?status=500", L"/feeds/rss20.xml?cut=100"}) {
        ScratchFile file;
        EXPECT_FALSE(DirectDownload(ServerHost().c_str(), path, file.Path())) << path;
    }
}

TEST(DirectDownload, FollowsRedirectsButNotWithoutEnd) {
    ScratchFile file;
    ASSERT_TRUE(
        DirectDownload(ServerHost().c_str(), L"/_chain?n=3&to=/feeds/rss10.xml", file.Path()));
    EXPECT_EQ(file.Bytes(), ReadBytes(Fixture("rss10.xml")));

    ServerGet(L"/_reset");
    HttpClient client;
    ASSERT_EQ(client.Connect(ServerHost().c_str(), 80, 0), 0u);
    ASSERT_EQ(client.OpenRequest(L"GET", L"/_loop?tag=loop", nullptr, 0, true), 0u);
    EXPECT_EQ(client.Send(nullptr, 0), static_cast<DWORD>(ERROR_HTTP_REDIRECT_FAILED));
    EXPECT_EQ(CountOf(RecordedRequests(L"loop"), "\"method\""), HttpClient::kMaxRedirects + 1);
}

TEST(DirectDownload, StopsAbove32MiBAndDeletesThePartialFile) {
    for (const wchar_t* path : {L"/_bytes?size=41943040", L"/_endless"}) {
        ScratchFile file;
        DWORD start = GetTickCount();
        EXPECT_FALSE(DirectDownload(ServerHost().c_str(), path, file.Path())) << path;
        EXPECT_FALSE(Exists(file.Path())) << path;
        EXPECT_LT(GetTickCount() - start, 50000u) << path;
    }
    ScratchFile file;
    EXPECT_TRUE(DirectDownload(ServerHost().c_str(), L"/_bytes?size=1048576", file.Path()));
    EXPECT_EQ(file.Bytes().size(), 1048576u);
}

TEST(DirectDownload, CancelFlagStopsTheDownload) {
    DownloadCancel cancel;
    cancel.Cancel();
    DownloadGuard guard;
    guard.cancel = &cancel;
    ScratchFile file;
    EXPECT_FALSE(DirectDownload(ServerHost().c_str(), L"/feeds/rss20.xml", file.Path(), guard));
    EXPECT_FALSE(Exists(file.Path()));
}

TEST(DirectDownload, SplitKeepsQueryAndDropsPort) {
    wchar_t host[64];
    wchar_t path[128];
    ASSERT_TRUE(SplitDownloadAddress(L"http://blog.example.cn:8080/rss/a%20b.xml?x=1", host, path));
    EXPECT_STREQ(host, L"blog.example.cn");
    EXPECT_STREQ(path, L"/rss/a b.xml?x=1");
    std::wstring longPath = L"http://h/" + std::wstring(200, L'p');
    EXPECT_FALSE(SplitDownloadAddress(longPath.c_str(), host, path));
    EXPECT_FALSE(SplitDownloadAddress(L"", host, path));
}
}  // namespace
