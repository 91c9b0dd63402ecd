// The subscribe control in the browser's feed view, through the real plug-in
// and the document stand-in: where it goes, its retries, its clicks.
#include <gtest/gtest.h>

#include "PageSceneSupport.h"
#include "page/ControlMarkup.h"

using namespace pagetest;

namespace {

const std::wstring kViewAnchor = L"进一步了解源。";
const std::wstring kPropertiesAnchor = L"查看源属性...";
// What the view carries around its anchors; the control goes 11 characters
// behind an anchor's end.
const std::wstring kBefore = L"<DIV>源</DIV><A href=\"#\">";
const std::wstring kAfter = L"</A></DIV>\r\n<P>rest</P>";

std::wstring AreaHtml(const std::wstring& anchor) {
    return kBefore + anchor + kAfter;
}

std::wstring Resource(UINT id) {
    wchar_t text[600] = L"";
    LoadStringW(GetModuleHandleW(nullptr), id, text, 600);
    return text;
}

// The area's inner HTML once the control of template id is in.
std::wstring WithControl(const std::wstring& anchor, UINT templ, const std::wstring& address) {
    std::wstring markup = FormatControlMarkup(Resource(templ).c_str(), address.c_str(), 519);
    return kBefore + anchor + kAfter.substr(0, 11) + markup + kAfter.substr(11);
}

HtmlPage FeedView(bool subscribeArea = true, bool propertiesArea = true) {
    HtmlPage page;
    page.elements.push_back({L"header", L"<H1>Feed</H1>"});
    if (subscribeArea) {
        page.elements.push_back({L"_subscribe_", L""});
        page.elements.push_back({L"_subscribeheader_", AreaHtml(kViewAnchor)});
    }
    if (propertiesArea) {
        page.elements.push_back({L"_viewfeedprop_", L""});
        page.elements.push_back({L"_viewfeedprop_div_", AreaHtml(kPropertiesAnchor)});
    }
    return page;
}

int Controls(HtmlDocumentStandin* document) {
    return document->CountInMarkup(L"id=\"RssFeedAdd\"");
}
int PropertiesControls(HtmlDocumentStandin* document) {
    return document->CountInMarkup(L"id=\"RssViewFeedAdd\"");
}

class FeedViewControl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scene_.Ok()); }
    HtmlDocumentStandin* Document() { return scene_.Document(); }
    std::wstring AreaNow(const wchar_t* id) { return Document()->Element(id)->InnerHtml(); }
    // Relays the toolbar's timers until done() or ms passed.
    template <class Done>
    bool PumpUntil(Done done, DWORD ms) {
        for (DWORD waited = 0; waited < ms; waited += 20) {
            if (done()) return true;
            scene_.Host().Pump(20);
        }
        return done();
    }
    size_t Relayed(UINT_PTR id) {
        size_t n = 0;
        for (UINT_PTR relayed : scene_.Host().RelayedTimers()) n += relayed == id;
        return n;
    }

    PageScene scene_;
};

TEST_F(FeedViewControl, OneControlGoesBehindEachAnchorAndTheSinkFollowsTheDocument) {
    std::wstring url = PageUrl(L"/feed.xml");
    scene_.Navigate(FeedView(), url);
    EXPECT_EQ(AreaNow(L"_subscribeheader_"), WithControl(kViewAnchor, IDS_FEED_VIEW_MARKUP, url));
    EXPECT_EQ(AreaNow(L"_viewfeedprop_div_"),
              WithControl(kPropertiesAnchor, IDS_FEED_PROPERTIES_MARKUP, url));
    EXPECT_EQ(Document()->SinkCount(), 1u);
    EXPECT_FALSE(scene_.Host().KillPluginTimer(kTimerFeedViewInjection));
    EXPECT_FALSE(scene_.Host().KillPluginTimer(kTimerFeedPropertiesInjection));

    // Found again: nothing inserted twice, the sink not doubled.
    scene_.Browser()->FireDocumentComplete(url);
    scene_.Browser()->FireDownloadComplete();
    EXPECT_EQ(Controls(Document()), 3);  // link, picture and label
    EXPECT_EQ(PropertiesControls(Document()), 3);
    EXPECT_EQ(Document()->SinkCount(), 1u);

    // The view rebuilds its header (sorting): the control comes back.
    Document()->Element(L"_subscribeheader_")->SetInnerHtml(AreaHtml(kViewAnchor));
    Document()->Element(L"_viewfeedprop_div_")->SetInnerHtml(AreaHtml(kPropertiesAnchor));
    scene_.Browser()->SetLocation(url + L"#sort=date", L"");
    scene_.Browser()->FireDownloadComplete();
    EXPECT_EQ(Controls(Document()), 3);
    EXPECT_EQ(PropertiesControls(Document()), 3);
    EXPECT_EQ(Document()->SinkCount(), 1u);

    // Another address is not the saved feed view.
    Document()->Element(L"_subscribeheader_")->SetInnerHtml(AreaHtml(kViewAnchor));
    scene_.Browser()->SetLocation(PageUrl(L"/other.xml"), L"");
    scene_.Browser()->FireDownloadComplete();
    EXPECT_EQ(Controls(Document()), 0);

    scene_.Browser()->FireBeforeNavigate2(PageUrl(L"/next.html"));
    EXPECT_EQ(Document()->SinkCount(), 0u);
}

// The first view of the session fills its header texts only after the
// document is complete: nothing was inserted yet, so no address was saved,
// and the next download still puts the control in.
TEST_F(FeedViewControl, HeaderTextsThatArriveLateGetTheControlsAtTheNextDownload) {
    std::wstring url = PageUrl(L"/slow.xml");
    HtmlPage view = FeedView();
    for (HtmlPage::Element& element : view.elements) {
        if (element.id == L"_subscribeheader_" || element.id == L"_viewfeedprop_div_")
            element.innerHtml = kBefore + kAfter;
    }
    scene_.Navigate(view, url);
    EXPECT_EQ(Controls(Document()), 0);

    Document()->Element(L"_subscribeheader_")->SetInnerHtml(AreaHtml(kViewAnchor));
    Document()->Element(L"_viewfeedprop_div_")->SetInnerHtml(AreaHtml(kPropertiesAnchor));
    scene_.Browser()->FireDownloadComplete();
    EXPECT_EQ(AreaNow(L"_subscribeheader_"), WithControl(kViewAnchor, IDS_FEED_VIEW_MARKUP, url));
    EXPECT_EQ(AreaNow(L"_viewfeedprop_div_"),
              WithControl(kPropertiesAnchor, IDS_FEED_PROPERTIES_MARKUP, url));
    EXPECT_EQ(Document()->SinkCount(), 1u);
}

TEST_F(FeedViewControl, ALateSubscribeAreaGetsOneControlAndTheRetryStops) {
    std::wstring url = PageUrl(L"/late.xml");
    scene_.Navigate(FeedView(false, false), url);
    ASSERT_TRUE(PumpUntil([&] { return Relayed(kTimerFeedViewInjection) >= 2; }, 2000));
    EXPECT_EQ(Controls(Document()), 0);
    EXPECT_EQ(Document()->SinkCount(), 0u);

    HtmlPage built = FeedView();
    for (size_t i = 1; i < built.elements.size(); ++i) Document()->AddElement(built.elements[i]);
    size_t before = Relayed(kTimerFeedViewInjection);
    ASSERT_TRUE(PumpUntil(
        [&] { return Controls(Document()) > 0 && PropertiesControls(Document()) > 0; }, 2000));
    EXPECT_LE(Relayed(kTimerFeedViewInjection) - before, 3u);
    EXPECT_EQ(Document()->SinkCount(), 1u);

    scene_.Host().Pump(600);
    EXPECT_EQ(Controls(Document()), 3);
    EXPECT_EQ(PropertiesControls(Document()), 3);
    EXPECT_FALSE(scene_.Host().KillPluginTimer(kTimerFeedViewInjection));
    EXPECT_FALSE(scene_.Host().KillPluginTimer(kTimerFeedPropertiesInjection));
}

TEST_F(FeedViewControl, ARetryOutlivesTheViewWithoutTouchingOrdinaryPages) {
    scene_.Navigate(FeedView(false, true), PageUrl(L"/half.xml"));
    HtmlPage ordinary;
    ordinary.elements.push_back({L"_subscribeheader_", AreaHtml(kViewAnchor)});
    scene_.Navigate(ordinary, PageUrl(L"/page.html"));
    size_t before = Relayed(kTimerFeedViewInjection);
    ASSERT_TRUE(PumpUntil([&] { return Relayed(kTimerFeedViewInjection) >= before + 2; }, 2000));
    EXPECT_EQ(AreaNow(L"_subscribeheader_"), AreaHtml(kViewAnchor));
    EXPECT_TRUE(scene_.Host().KillPluginTimer(kTimerFeedViewInjection));
}

TEST_F(FeedViewControl, TheAddressCannotBreakOutOfItsAttribute) {
    std::wstring url = PageUrl(L"/feed?q=\"><script>alert(1)</script>&x=<b>");
    scene_.Navigate(FeedView(), url);
    EXPECT_EQ(Controls(Document()), 3);
    EXPECT_EQ(Document()->CountInMarkup(L"<script>"), 0);
    EXPECT_EQ(Document()->CountInMarkup(L"<b>"), 0);
    EXPECT_EQ(Document()->CountInMarkup(L"q=&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;&amp;x="
                                        L"&lt;b&gt;\">"),
              2);
}

TEST_F(FeedViewControl, NothingGoesInWithoutAnAnchorBehindTheStart) {
    HtmlPage page = FeedView();
    page.elements[2].innerHtml = kViewAnchor + kAfter;  // at position 0
    page.elements[4].innerHtml = L"<A>没有</A>";
    scene_.Navigate(page, PageUrl(L"/odd.xml"));
    EXPECT_EQ(AreaNow(L"_subscribeheader_"), kViewAnchor + kAfter);
    EXPECT_EQ(AreaNow(L"_viewfeedprop_div_"), L"<A>没有</A>");
    EXPECT_EQ(Document()->Element(L"_subscribeheader_")->InnerHtmlWrites(), 0);
    EXPECT_EQ(Document()->SinkCount(), 0u);
}

TEST_F(FeedViewControl, RefusedMarkupOrAdviseLeaveThePageWorking) {
    HtmlPage page = FeedView();
    page.refuseAdvise = true;
    std::wstring url = PageUrl(L"/refusing.xml");
    scene_.Show(page, url);
    Document()->Element(L"_subscribeheader_")->RefuseInnerHtml(true);
    scene_.Browser()->FireNavigateComplete2(url);
    scene_.Browser()->FireDocumentComplete(url);
    EXPECT_EQ(AreaNow(L"_subscribeheader_"), AreaHtml(kViewAnchor));
    EXPECT_EQ(PropertiesControls(Document()), 3);
    EXPECT_GE(Document()->Advises(), 1);
    EXPECT_EQ(Document()->SinkCount(), 0u);
    EXPECT_TRUE(Document()->ClickMarkup(L"IMG", L"RssViewFeedAdd"));
    EXPECT_EQ(AddFeedWindow(), nullptr);  // not seen without a sink

    // Not an HTML document, or one without a body: nothing happens.
    HtmlPage plain = FeedView();
    plain.html = false;
    scene_.Navigate(plain, url);
    HtmlPage bodiless = FeedView();
    bodiless.body = false;
    scene_.Navigate(bodiless, url);
    EXPECT_EQ(Controls(Document()), 0);
}

TEST_F(FeedViewControl, ClicksOnAnyPartOfTheControlOpenAddThisFeed) {
    std::wstring url = PageUrl(L"/clicked.xml");
    scene_.Navigate(FeedView(), url);
    for (const wchar_t* tag : {L"A", L"IMG", L"SPAN"}) {
        ASSERT_TRUE(Document()->ClickMarkup(tag, L"RssFeedAdd")) << tag;
        ASSERT_NE(AddFeedWindow(), nullptr) << tag;
        EXPECT_EQ(AddFeedAddress(), url);
        CancelDialog(AddFeedWindow());
    }
    ASSERT_TRUE(Document()->ClickMarkup(L"SPAN", L"RssViewFeedAdd"));
    HWND open = AddFeedWindow();
    ASSERT_NE(open, nullptr);

    // Open already: brought forward with its earlier address.
    scene_.Browser()->SetLocation(PageUrl(L"/moved.xml"), L"");
    ASSERT_TRUE(Document()->ClickMarkup(L"IMG", L"RssFeedAdd"));
    EXPECT_EQ(AddFeedWindow(), open);
    EXPECT_EQ(AddFeedAddress(), url);
    CancelDialog(open);

    Document()->Click(Document()->Element(L"header"));
    Document()->Click(nullptr);
    EXPECT_EQ(AddFeedWindow(), nullptr);

    scene_.Browser()->FireQuit();
    EXPECT_EQ(Document()->SinkCount(), 0u);
    ASSERT_TRUE(Document()->ClickMarkup(L"IMG", L"RssFeedAdd"));
    EXPECT_EQ(AddFeedWindow(), nullptr);
}

}  // namespace
