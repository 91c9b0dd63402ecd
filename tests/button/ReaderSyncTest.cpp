// The web reader's subscription request against the stand-in service, its
// login address and cookies, and the menu's reader entries through the real
// plug-in in the host toolbar stand-in.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <ctime>
#include <string>

#include "ButtonSceneSupport.h"
#include "core/MenuCommand.h"
#include "core/RssButton.h"
#include "host/ToolbarHostObject.h"
#include "plugin/PluginSwitches.h"
#include "web/ReaderService.h"
#include "web/ReaderSync.h"
#include "web/UrlCoding.h"

using feedtest::CountOf;
using feedtest::RecordedRequests;
using feedtest::ServerGet;
using feedtest::ServerHost;

namespace {

constexpr wchar_t kLoginTail[] =
    L"/cgi-bin/login?fun=clientlogin&uin=o0000012345&delegate_url=/cgi-bin/"
    L"frame_html?target=reader_main&vm=pt&action=reader";

std::wstring StandInService() {
    return L"http://" + ServerHost();
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring Encoded(const std::wstring& text) {
    static wchar_t out[8192];
    return UrlEncode(text.c_str(), out, 8192, CP_ACP) ? out : L"";
}

// The value of "name": "..." in each recorded request, in order.
std::vector<std::string> JsonValues(const std::string& json, const std::string& name) {
    std::vector<std::string> values;
    const std::string key = "\"" + name + "\": \"";
    for (size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1)) {
        size_t start = at + key.size();
        values.push_back(json.substr(start, json.find('"', start) - start));
    }
    return values;
}

std::wstring CookiesOf(const std::wstring& address) {
    wchar_t cookies[2048] = L"";
    DWORD size = 2048;
    if (!InternetGetCookieW(address.c_str(), nullptr, cookies, &size)) return L"";
    return cookies;
}

// Every test names the stand-in service of this run's test server; the code
// linked into this program takes it (standins/plugin), the shipped plug-in
// does not.
class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(kReaderServiceTestVariable, StandInService().c_str());
        ServerGet(L"/_reset");
        host_ = ToolbarHostObject::Create(nullptr, nullptr);
        host_->SetLogin(12345, true, L"k-12345");
    }
    void TearDown() override {
        host_->Release();
        SetEnvironmentVariableW(kReaderServiceTestVariable, nullptr);
    }

    // The stand-in answers a subscription of feed with reply.
    static void AnswerWith(const std::wstring& feed, const std::string& reply) {
        ServerGet(L"/_reader_reply?url=" + Encoded(feed) + L"&body=" +
                  Encoded(std::wstring(reply.begin(), reply.end())));
    }

    static std::vector<std::string> ReaderPaths() {
        return JsonValues(RecordedRequests(L"reader"), "path");
    }

    ToolbarHostObject* host_ = nullptr;
};

}  // namespace

TEST_F(ReaderTest, TheSubscriptionCarriesTheUserTheFeedAndTheHostsLogin) {
    std::time_t before = std::time(nullptr);
    ASSERT_TRUE(ReaderSubscribe(host_, 12345, L"http://feeds.example.org/news.xml"));

    std::string json = RecordedRequests(L"reader");
    std::vector<std::string> paths = JsonValues(json, "path");
    ASSERT_EQ(paths.size(), 1u) << json;
    const std::string prefix =
        "/cgi-bin/reader_subscribe?uin=12345&classid=1&url="
        "http%3a%2f%2ffeeds%2eexample%2eorg%2fnews%2exml&timestamp=";
    ASSERT_EQ(paths[0].compare(0, prefix.size(), prefix), 0) << paths[0];
    long long stamp = std::stoll(paths[0].substr(prefix.size()));
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, std::time(nullptr));

    std::vector<std::string> cookies = JsonValues(json, "Cookie");
    ASSERT_EQ(cookies.size(), 1u) << json;
    EXPECT_EQ(cookies[0], "uin=o0000012345; skey=k-12345; from=toolbar;");
    EXPECT_EQ(host_->LoginQueries(), 1);
}

TEST_F(ReaderTest, QueryCharactersOfTheFeedAddressStayInsideTheUrlValue) {
    ASSERT_TRUE(ReaderSubscribe(host_, 7, L"http://a.example/feed.php?id=3&fmt=rss~x"));
    std::vector<std::string> paths = ReaderPaths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_NE(paths[0].find("&url=http%3a%2f%2fa%2eexample%2ffeed%2ephp%3fid%3d3%26fmt%3drss%7ex"
                            "&timestamp="),
              std::string::npos)
        << paths[0];
}

TEST_F(ReaderTest, TheReplyCountsOnlyByAMarkerAfterItsFirstByte) {
    struct Case {
        const wchar_t* feed;
        std::string reply;
        bool accepted;
    };
    const Case cases[] = {
        {L"http://r.example/first", "<?xml?><result type=\"0\">ok</result>", true},
        {L"http://r.example/second", "<r><result type=\"1\"/></r>", true},
        {L"http://r.example/lead0", "result type=\"0\" and nothing more", false},
        {L"http://r.example/lead1", "result type=\"1\"", false},
        {L"http://r.example/lead0then1", "result type=\"0\" <result type=\"1\"/>", true},
        {L"http://r.example/other", "<result type=\"2\"/>", false},
        {L"http://r.example/empty", "", false},
    };
    for (const Case& c : cases) {
        AnswerWith(c.feed, c.reply);
        EXPECT_EQ(ReaderSubscribe(host_, 12345, c.feed), c.accepted) << c.reply;
    }
    EXPECT_EQ(ReaderPaths().size(), std::size(cases));
}

TEST_F(ReaderTest, ALongFeedAddressArrivesWholeOrIsNotSentAtAll) {
    std::wstring feed = L"http://long.example/feed?";
    while (feed.size() < 400) feed += L"key" + std::to_wstring(feed.size()) + L"=v&";
    ASSERT_TRUE(ReaderSubscribe(host_, 12345, feed.c_str()));
    std::vector<std::string> paths = ReaderPaths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_NE(paths[0].find("&url=" + Narrow(Encoded(feed)) + "&timestamp="), std::string::npos)
        << paths[0];

    // Encoded, this one no longer fits the url value: nothing may be sent.
    std::wstring tooLong = L"http://long.example/" + std::wstring(800, L'.');
    EXPECT_FALSE(ReaderSubscribe(host_, 12345, tooLong.c_str()));
    EXPECT_EQ(ReaderPaths().size(), 1u);
}

TEST_F(ReaderTest, TheButtonSubscribesForItsUserWithTheHostsLogin) {
    HostToolbar host;
    HostToolbar::Options options;
    options.userNumber = 4242;
    options.loginKey = L"key-4242";
    ASSERT_TRUE(host.Create(options));
    RssButton button;
    button.OnMessage(host.Record(), host.Host(), kCodePlaced, 0, 0);
    EXPECT_TRUE(button.ReaderSubscribe(L"http://feeds.example.org/b.xml"));
    button.OnMessage(host.Record(), host.Host(), kCodeUnload, 0, 0);

    std::string json = RecordedRequests(L"reader");
    std::vector<std::string> paths = JsonValues(json, "path");
    ASSERT_EQ(paths.size(), 1u) << json;
    EXPECT_EQ(paths[0].find("/cgi-bin/reader_subscribe?uin=4242&classid=1&url="), 0u);
    EXPECT_EQ(JsonValues(json, "Cookie"),
              std::vector<std::string>{"uin=o0000004242; skey=key-4242; from=toolbar;"});
}

TEST_F(ReaderTest, AnUnreachableServiceOrMissingHostFails) {
    EXPECT_FALSE(ReaderSubscribe(nullptr, 12345, L"http://feeds.example.org/a.xml"));
    EXPECT_FALSE(ReaderSubscribe(host_, 12345, L""));
    SetEnvironmentVariableW(kReaderServiceTestVariable, L"http://127.0.0.254");
    EXPECT_FALSE(ReaderSubscribe(host_, 12345, L"http://feeds.example.org/a.xml"));
}

// Even in the tests' build: the switch can never send a login key outside.
TEST(ReaderService, OnlyALoopbackAddressReplacesTheService) {
    const wchar_t* refused[] = {L"http://mail.example.com",
                                L"http://127.0.0.1:8080",
                                L"http://127.0.0.1/x",
                                L"https://127.0.0.1",
                                L"http://127.0.0",
                                L"http://127.0..1",
                                L""};
    for (const wchar_t* value : refused) {
        SetEnvironmentVariableW(kReaderServiceTestVariable, value);
        EXPECT_EQ(ReaderServiceAddress(), kReaderServiceAddress) << Narrow(value);
    }
    SetEnvironmentVariableW(kReaderServiceTestVariable, L"http://127.0.0.19");
    EXPECT_EQ(ReaderServiceAddress(), L"http://127.0.0.19");
    EXPECT_EQ(ReaderHomeAddress(), L"http://127.0.0.19/");
    SetEnvironmentVariableW(kReaderServiceTestVariable, nullptr);
    EXPECT_EQ(ReaderHomeAddress(), std::wstring(kReaderServiceAddress) + L"/");
}

TEST(ReaderLogin, TheLoginAddressNamesTheUserInTenDigitsOrNobody) {
    std::wstring base = kReaderServiceAddress;
    EXPECT_EQ(ReaderLoginAddress(12345), base + kLoginTail);
    EXPECT_EQ(ReaderLoginAddress(0), base +
                                         L"/cgi-bin/login?fun=clientlogin&uin=&delegate_url=/"
                                         L"cgi-bin/frame_html?target=reader_main&vm=pt&action="
                                         L"reader");
    // Above the signed range the number still reads as ten digits.
    EXPECT_NE(ReaderLoginAddress(4000000000u).find(L"&uin=o4000000000&"), std::wstring::npos);
}

// ---- the menu's reader entries through the plug-in ------------------------

namespace {

class ReaderMenu : public ReaderTest {
protected:
    static HostToolbar::Options LoggedIn(bool loggedIn) {
        HostToolbar::Options options;
        options.userNumber = 12345;
        options.loggedIn = loggedIn;
        options.loginKey = L"key-12345";
        return options;
    }
};

}  // namespace

TEST_F(ReaderMenu, EnteringTheReaderSetsTheLoginCookiesThenOpensTheLoginAddress) {
    scene::WriteStore({});
    scene::Scene scene(LoggedIn(true));
    ASSERT_TRUE(scene.Ok());
    ASSERT_NE(scene::FindEntry(scene.Choose(kCmdWebReader), kCmdWebReader), nullptr);

    // The shipped plug-in knows its own service only, whatever the
    // environment names.
    std::wstring cookies = CookiesOf(std::wstring(kReaderServiceAddress) + L"/");
    EXPECT_NE(cookies.find(L"uin=o0000012345"), std::wstring::npos) << Narrow(cookies);
    EXPECT_NE(cookies.find(L"skey=key-12345"), std::wstring::npos) << Narrow(cookies);
    EXPECT_EQ(CookiesOf(StandInService() + L"/").find(L"key-12345"), std::wstring::npos);
    const auto& opened = scene.Host().Host()->OpenedAddresses();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].address, std::wstring(kReaderServiceAddress) + kLoginTail);
    EXPECT_TRUE(ReaderPaths().empty());
}

TEST_F(ReaderMenu, WithoutTheHostsLoginNoCookieIsSetButTheLoginAddressStillOpens) {
    std::wstring home = std::wstring(kReaderServiceAddress) + L"/";
    ASSERT_TRUE(InternetSetCookieW(home.c_str(), nullptr, L"uin=before;"));
    ASSERT_TRUE(InternetSetCookieW(home.c_str(), nullptr, L"skey=before;"));
    scene::WriteStore({});
    scene::Scene scene(LoggedIn(true));
    ASSERT_TRUE(scene.Ok());
    scene.Host().Host()->SetLogin(12345, false, L"");
    scene.Choose(kCmdWebReader);

    std::wstring cookies = CookiesOf(home);
    EXPECT_NE(cookies.find(L"uin=before"), std::wstring::npos) << Narrow(cookies);
    EXPECT_NE(cookies.find(L"skey=before"), std::wstring::npos) << Narrow(cookies);
    const auto& opened = scene.Host().Host()->OpenedAddresses();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].address, std::wstring(kReaderServiceAddress) + kLoginTail);
}

TEST_F(ReaderMenu, LoggedOutTheEntryOnlyAsksTheHostToLogIn) {
    scene::WriteStore({});
    scene::Scene scene(LoggedIn(false));
    ASSERT_TRUE(scene.Ok());
    int queriesBefore = scene.Host().Host()->LoginQueries();
    std::vector<MenuEntry> menu = scene.Choose(kCmdWebReaderLogin);
    EXPECT_EQ(scene::FindEntry(menu, kCmdWebReader), nullptr);
    const MenuEntry* entry = scene::FindEntry(menu, kCmdWebReaderLogin);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->text, L"登录Pemba邮箱阅读空间");

    const auto& commands = scene.Host().Host()->Commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].command, L"Login");
    EXPECT_EQ(scene.Host().Host()->OpenedAddresses().size(), 0u);
    EXPECT_EQ(scene.Host().Host()->LoginQueries(), queriesBefore);
    EXPECT_TRUE(ReaderPaths().empty());
}
