// Feed detection through the real plug-in: the presence state as the icon
// shows it, inner frames, the press and the menu entry.
#include <gtest/gtest.h>

#include "PageSceneSupport.h"
#include "core/MenuCommand.h"

using namespace pagetest;

namespace {

constexpr int kIconFeed = IDI_BUTTON_FEED;
constexpr int kIconNoFeed = IDI_BUTTON_NO_FEED;

HtmlPage PageWithLinks(std::vector<HtmlPage::Link> links) {
    HtmlPage page;
    page.links = std::move(links);
    return page;
}

TEST(PageDetection, TheIconFollowsTheTopLevelPage) {
    PageScene scene;
    ASSERT_TRUE(scene.Ok());
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);  // not examined yet

    scene.Navigate(PageWithLinks({FeedLinkOf(L"application/rss+xml; charset=utf-8", L"r.xml")}),
                   PageUrl(L"/a.html"));
    EXPECT_EQ(scene.IconResource(), kIconFeed);
    scene.Navigate(PageWithLinks({FeedLinkOf(L"APPLICATION/RSS+XML", L"r.xml")}),
                   PageUrl(L"/b.html"));
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);
    scene.Navigate(PageWithLinks({FeedLinkOf(L"application/atom+xml", L"a.xml")}),
                   PageUrl(L"/c.html"));
    EXPECT_EQ(scene.IconResource(), kIconFeed);

    // A new navigation forgets the old answer at once.
    scene.Browser()->FireBeforeNavigate2(PageUrl(L"/d.html"));
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);
}

TEST(PageDetection, LinksThatAppearByDocumentCompleteAreFound) {
    PageScene scene;
    ASSERT_TRUE(scene.Ok());
    std::wstring url = PageUrl(L"/late.html");
    scene.Browser()->FireBeforeNavigate2(url);
    scene.Show(HtmlPage(), url);
    scene.Browser()->FireNavigateComplete2(url);
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);
    scene.Show(PageWithLinks({RssLink(L"r.xml")}), url);
    // An empty address is not a page.
    scene.Browser()->FireDocumentComplete(L"");
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);
    scene.Browser()->FireDocumentComplete(url);
    EXPECT_EQ(scene.IconResource(), kIconFeed);
}

TEST(PageDetection, InnerFrameEventsChangeNothing) {
    PageScene scene;
    ASSERT_TRUE(scene.Ok());
    WebBrowserStandin* frame = WebBrowserStandin::Create();
    IDispatch* inner = static_cast<IWebBrowser2*>(frame);

    std::wstring url = PageUrl(L"/framed.html");
    scene.Navigate(HtmlPage(), url);
    ASSERT_EQ(scene.IconResource(), kIconNoFeed);
    scene.Show(PageWithLinks({RssLink(L"r.xml")}), url);
    scene.Browser()->FireNavigateComplete2(L"about:blank", inner);
    scene.Browser()->FireDocumentComplete(L"http://frame.test/", inner);
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);

    scene.Browser()->FireDocumentComplete(url);
    ASSERT_EQ(scene.IconResource(), kIconFeed);
    scene.Browser()->FireBeforeNavigate2(L"http://frame.test/next", inner);
    EXPECT_EQ(scene.IconResource(), kIconFeed);
    frame->Release();
}

TEST(PageDetection, ThePressOpensTheDialogThatFitsTheNumberOfFeeds) {
    PageScene scene;
    ASSERT_TRUE(scene.Ok());
    scene.Navigate(HtmlPage(), PageUrl(L"/none.html"));
    scene.Press();
    EXPECT_NE(CustomAddWindow(), nullptr);
    EXPECT_EQ(AddFeedWindow(), nullptr);
    CancelDialog(CustomAddWindow());

    scene.Navigate(PageWithLinks({RssLink(L"one.xml", L"One")}), PageUrl(L"/blog/one.html"));
    scene.Press();
    ASSERT_NE(AddFeedWindow(), nullptr);
    EXPECT_EQ(AddFeedAddress(), PageUrl(L"/blog/one.xml"));
    EXPECT_EQ(CustomAddWindow(), nullptr);

    // Open already: brought forward with what it shows.
    HWND open = AddFeedWindow();
    scene.Navigate(PageWithLinks({RssLink(L"/other.xml")}), PageUrl(L"/other.html"));
    scene.Press();
    EXPECT_EQ(AddFeedWindow(), open);
    EXPECT_EQ(AddFeedAddress(), PageUrl(L"/blog/one.xml"));
    CancelDialog(open);

    scene.Navigate(PageWithLinks({RssLink(L"1.xml"), FeedLinkOf(L"application/atom+xml", L"2.xml"),
                                  RssLink(L"3.xml")}),
                   PageUrl(L"/three.html"));
    scene.Press();
    EXPECT_NE(AddSeveralWindow(), nullptr);
    EXPECT_EQ(AddFeedWindow(), nullptr);
    EXPECT_EQ(CustomAddWindow(), nullptr);
}

TEST(PageDetection, PressedHrefsResolveAgainstThePageAddress) {
    PageScene scene;
    ASSERT_TRUE(scene.Ok());
    const std::wstring host = feedtest::ServerHost();
    struct Case {
        std::wstring page, href, expected;
    } cases[] = {
        {PageUrl(L"/a/b/c/p.html"), L"../rss.xml", PageUrl(L"/a/b/rss.xml")},
        {PageUrl(L"/a/b/c/p.html"), L"/rss.xml", PageUrl(L"/rss.xml")},
        {PageUrl(L"/blog/"), L"feed.xml", PageUrl(L"/blog/feed.xml")},
        {PageUrl(L"/blog/x.html"), L"a/../b.xml", PageUrl(L"/blog/b.xml")},
        {L"https://" + host + L"/blog/", L"feed.xml", L"https://" + host + L"/blog/feed.xml"},
        {L"http://" + host + L":8080/x/y.html", L"f.xml", L"http://" + host + L":8080/x/f.xml"},
        {PageUrl(L"/x/"), L"https://" + host + L"/abs.xml", L"https://" + host + L"/abs.xml"},
    };
    for (const Case& c : cases) {
        scene.Navigate(PageWithLinks({RssLink(c.href)}), c.page);
        scene.Press();
        EXPECT_EQ(AddFeedAddress(), c.expected) << c.page << L" + " << c.href;
        CancelDialog(AddFeedWindow());
    }
}

TEST(PageDetection, MenuOffersAddThisFeedOnlyForAPageWithFeeds) {
    PageScene scene;
    ASSERT_TRUE(scene.Ok());
    std::wstring url = PageUrl(L"/menu.html");
    scene.Navigate(HtmlPage(), url);
    scene.Host().DropDown();
    EXPECT_EQ(scene::FindEntry(scene.Host().LastMenu(), kCmdAddThisFeed), nullptr);

    // Links the events did not see: the menu finds them and the icon follows.
    scene.Show(PageWithLinks({RssLink(L"m.xml")}), url);
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);
    scene.Host().DropDown();
    const std::vector<MenuEntry>& menu = scene.Host().LastMenu();
    ASSERT_FALSE(menu.empty());
    EXPECT_EQ(menu.front().id, kCmdAddThisFeed);
    EXPECT_EQ(menu.front().text, L"添加该RSS订阅");
    EXPECT_EQ(scene.IconResource(), kIconFeed);

    HostToolbar::MenuPlan plan;
    plan.choose = kCmdAddThisFeed;
    scene.Host().DropDown(plan);
    ASSERT_NE(AddFeedWindow(), nullptr);
    EXPECT_EQ(AddFeedAddress(), PageUrl(L"/m.xml"));
}

TEST(PageDetection, BrokenDocumentsCountAsPagesWithoutFeeds) {
    PageScene scene;
    ASSERT_TRUE(scene.Ok());
    HtmlPage notHtml = PageWithLinks({RssLink(L"r.xml")});
    notHtml.html = false;
    scene.Navigate(notHtml, PageUrl(L"/file.txt"));
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);
    scene.Press();
    EXPECT_NE(CustomAddWindow(), nullptr);
    CancelDialog(CustomAddWindow());

    // The collection fails at its second item: the first feed stands.
    HtmlPage failing = PageWithLinks({RssLink(L"1.xml"), RssLink(L"2.xml"), RssLink(L"3.xml")});
    failing.failLinkItemAt = 1;
    scene.Navigate(failing, PageUrl(L"/failing.html"));
    EXPECT_EQ(scene.IconResource(), kIconFeed);
    scene.Press();
    EXPECT_EQ(AddFeedAddress(), PageUrl(L"/1.xml"));
    CancelDialog(AddFeedWindow());

    scene.Browser()->FireBeforeNavigate2(PageUrl(L"/gone.html"));
    scene.Browser()->SetDocument(nullptr);
    scene.Browser()->FireNavigateComplete2(PageUrl(L"/gone.html"));
    scene.Browser()->FireDocumentComplete(PageUrl(L"/gone.html"));
    EXPECT_EQ(scene.IconResource(), kIconNoFeed);
}

}  // namespace
