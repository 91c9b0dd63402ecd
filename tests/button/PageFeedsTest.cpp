// Examining a page's link elements and resolving their addresses, on the
// browser and document stand-ins.
#include <gtest/gtest.h>

#include "browser/HtmlDocumentStandin.h"
#include "browser/WebBrowserStandin.h"
#include "page/ControlMarkup.h"
#include "page/FeedHref.h"
#include "page/PageFeeds.h"

namespace {

HtmlPage::Link LinkWith(std::vector<std::pair<std::wstring, std::wstring>> attributes) {
    HtmlPage::Link link;
    link.attributes = std::move(attributes);
    return link;
}

class PageFeeds : public ::testing::Test {
protected:
    PageFeeds() : browser_(WebBrowserStandin::Create()) {}
    ~PageFeeds() override {
        browser_->SetDocument(nullptr);
        browser_->Release();
    }
    void Show(const HtmlPage& page, const std::wstring& url = L"http://example.test/blog/") {
        HtmlDocumentStandin* document = HtmlDocumentStandin::Create(page);
        browser_->SetDocument(document->AsDispatch());
        document->Release();
        browser_->SetLocation(url, L"");
    }
    FeedLinkList Collect(int* count = nullptr) {
        FeedLinkList list;
        int n = CollectPageFeeds(browser_, &list);
        if (count) *count = n;
        return list;
    }

    WebBrowserStandin* browser_;
};

TEST_F(PageFeeds, TypeTestIsACaseSensitiveSubstringSearch) {
    EXPECT_TRUE(IsFeedLinkType(L"application/rss+xml"));
    EXPECT_TRUE(IsFeedLinkType(L"application/rss+xml; charset=utf-8"));
    EXPECT_TRUE(IsFeedLinkType(L"application/atom+xml"));
    EXPECT_FALSE(IsFeedLinkType(L"APPLICATION/RSS+XML"));
    EXPECT_FALSE(IsFeedLinkType(L"application/rdf+xml"));
    EXPECT_FALSE(IsFeedLinkType(L""));
    EXPECT_FALSE(IsFeedLinkType(nullptr));
}

TEST_F(PageFeeds, CollectsQualifyingLinksInDocumentOrderWithFieldsCut) {
    HtmlPage page;
    const std::wstring longTitle(40, L'标');
    page.links = {
        LinkWith({{L"rel", L"stylesheet"}, {L"type", L"text/css"}, {L"href", L"a.css"}}),
        LinkWith({{L"type", L"application/atom+xml"}, {L"href", L"atom.xml"}, {L"title", L"A"}}),
        LinkWith({{L"type", L"application/rss+xml"}, {L"title", longTitle}}),
        LinkWith({{L"type", L"application/rss+xml"}, {L"href", L"/rss.xml"}}),
    };
    Show(page);
    EXPECT_TRUE(HasPageFeeds(browser_));
    int count = 0;
    FeedLinkList list = Collect(&count);
    ASSERT_EQ(count, 3);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_STREQ(list[0].title, L"A");
    EXPECT_STREQ(list[0].url, L"http://example.test/blog/atom.xml");
    EXPECT_EQ(std::wstring(list[1].title), longTitle.substr(0, 29));
    EXPECT_STREQ(list[1].url, L"");  // no href: nothing to subscribe to
    EXPECT_STREQ(list[2].title, L"");
    EXPECT_STREQ(list[2].url, L"http://example.test/rss.xml");
}

TEST_F(PageFeeds, PagesWithoutFeedsOrWithoutHtmlYieldNothing) {
    HtmlPage page;
    page.links = {LinkWith({{L"type", L"APPLICATION/RSS+XML"}, {L"href", L"x"}}),
                  LinkWith({{L"href", L"no-type.xml"}})};
    Show(page);
    EXPECT_FALSE(HasPageFeeds(browser_));
    EXPECT_TRUE(Collect().empty());

    HtmlPage notHtml;
    notHtml.html = false;
    notHtml.links = {LinkWith({{L"type", L"application/rss+xml"}, {L"href", L"x"}})};
    Show(notHtml);
    EXPECT_FALSE(HasPageFeeds(browser_));
    EXPECT_TRUE(Collect().empty());

    browser_->SetDocument(nullptr);
    EXPECT_FALSE(HasPageFeeds(browser_));
    EXPECT_FALSE(HasPageFeeds(nullptr));
    EXPECT_EQ(CollectPageFeeds(nullptr, nullptr), 0);
}

TEST_F(PageFeeds, AFailingItemEndsTheWalkWithWhatWasFound) {
    HtmlPage page;
    for (const wchar_t* href : {L"1.xml", L"2.xml", L"3.xml"})
        page.links.push_back(LinkWith({{L"type", L"application/rss+xml"}, {L"href", href}}));
    page.failLinkItemAt = 2;
    Show(page, L"http://example.test/");
    FeedLinkList list = Collect();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[1].url, L"http://example.test/2.xml");

    page.failLinkItemAt = 0;
    Show(page);
    EXPECT_FALSE(HasPageFeeds(browser_));
}

TEST(FeedHref, RelativeHrefsResolveByTheStandardRules) {
    struct Case {
        const wchar_t* page;
        const wchar_t* href;
        const wchar_t* expected;
    } cases[] = {
        {L"http://h.test/a/b/c/page.html", L"../rss.xml", L"http://h.test/a/b/rss.xml"},
        {L"http://h.test/a/b/c/page.html", L"/rss.xml", L"http://h.test/rss.xml"},
        {L"http://h.test/blog/index.html", L"feed.xml", L"http://h.test/blog/feed.xml"},
        {L"http://h.test/blog/", L"feeds/rss.xml", L"http://h.test/blog/feeds/rss.xml"},
        {L"http://h.test/blog/x", L"a/../b.xml", L"http://h.test/blog/b.xml"},
        {L"https://h.test/blog/", L"feed.xml", L"https://h.test/blog/feed.xml"},
        {L"http://h.test:8080/x/y.html", L"/f.xml", L"http://h.test:8080/f.xml"},
        {L"http://h.test/x/", L"https://other.test/abs.xml", L"https://other.test/abs.xml"},
        {L"http://h.test/x/", L"?feed=rss2", L"http://h.test/x/?feed=rss2"},
        {L"", L"http://other.test/abs.xml", L"http://other.test/abs.xml"},
        {L"http://h.test/x/", L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveFeedHref(c.href, c.page), c.expected) << c.page << L" + " << c.href;
    }
    std::wstring longHref(400, L'x');
    std::wstring resolved = ResolveFeedHref(longHref.c_str(), L"http://h.test/");
    EXPECT_EQ(resolved.size(), 259u);
    EXPECT_EQ(resolved.substr(0, 15), L"http://h.test/x");
}

TEST(ControlMarkup, AddressIsEscapedAndTheMarkupStaysWithinItsLimit) {
    EXPECT_EQ(EscapeHtmlAttribute(L"a\"b<c>d&e'f"), L"a&quot;b&lt;c&gt;d&amp;e&#39;f");
    const wchar_t* templ = L"<A href=\"%s\">x</A>";
    EXPECT_EQ(FormatControlMarkup(templ, L"http://h/?q=\"><script>", 519),
              L"<A href=\"http://h/?q=&quot;&gt;&lt;script&gt;\">x</A>");
    // A % in the address is text, not a format directive.
    EXPECT_EQ(FormatControlMarkup(templ, L"%s%n", 519), L"<A href=\"%s%n\">x</A>");

    // Too long: cut between whole references, the closing markup kept.
    std::wstring address = L"http://h/" + std::wstring(600, L'&');
    std::wstring markup = FormatControlMarkup(templ, address.c_str(), 519);
    EXPECT_LE(markup.size(), 519u);
    EXPECT_EQ(markup.substr(markup.size() - 12), L"&amp;\">x</A>");
    EXPECT_EQ((markup.size() - std::wstring(L"<A href=\"http://h/\">x</A>").size()) % 5, 0u);
    EXPECT_EQ(FormatControlMarkup(templ, L"x", 5), L"");
}

}  // namespace
