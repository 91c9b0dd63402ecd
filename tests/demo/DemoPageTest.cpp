// The demo frame's page reading: channel pages as the engine writes them,
// web pages with their feed links, style sheet colours, and the rule that
// the frame fetches nothing but the demo's own server.
#include <gtest/gtest.h>

#include "PageContent.h"
#include "PageLoader.h"
#include "StyleSheet.h"

namespace {

const wchar_t kChannelPage[] =
    L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<html><head><title>T</title>"
    L"<link rel=\"stylesheet\" type=\"text/css\" href=\"rss.css\"/></head><body>\n"
    L"<div id=\"channel\"><div id=\"name\">开源 &amp; 周刊</div><div id=\"info\">2 条</div></div>\n"
    L"<div id=\"item\" class=\"unread\"><div id=\"title\"><a href=\"http://h/1?a=1&amp;b=2\">"
    L"深度报道 &lt;第二期&gt;</a></div><div id=\"date\">2024-06-03</div>"
    L"<div id=\"description\">记录 <b>变化</b> 中的日常</div></div>\n"
    L"<div id=\"item\"><div id=\"title\"><a href=\"http://h/2\">读者来信</a></div></div>\n"
    L"</body></html>";

TEST(DemoPageContent, ChannelPageGivesHeaderAndItemsWithEntitiesResolved) {
    PageContent page = ParseMarkup(kChannelPage);
    ASSERT_EQ(page.kind, PageContent::Kind::Channel);
    EXPECT_EQ(page.title, L"开源 & 周刊");
    EXPECT_EQ(page.channelInfo, L"2 条");
    ASSERT_EQ(page.items.size(), 2u);
    EXPECT_EQ(page.items[0].title, L"深度报道 <第二期>");
    EXPECT_EQ(page.items[0].link, L"http://h/1?a=1&b=2");
    EXPECT_EQ(page.items[0].date, L"2024-06-03");
    EXPECT_EQ(page.items[0].description, L"记录 变化 中的日常");
    EXPECT_TRUE(page.items[0].unread);
    EXPECT_EQ(page.items[1].title, L"读者来信");
    EXPECT_TRUE(page.items[1].date.empty());
    EXPECT_FALSE(page.items[1].unread);
}

TEST(DemoPageContent, WebPageGivesFeedLinksHeadingsAndLinksButNoScript) {
    PageContent page = ParseMarkup(
        L"<html><head><TITLE>小站</TITLE>"
        L"<link rel=alternate type='application/rss+xml' title=\"A &amp; B\" href=\"feeds/a.xml\">"
        L"<style>p { color: red }</style><script>document.write('<p>evil</p>')</script></head>"
        L"<body><!-- <p>hidden</p> --><h1>标题</h1><p>第一段\n   文字</p>"
        L"<ul><li><a href=\"x.html\">链接</a></li></ul></body></html>");
    ASSERT_EQ(page.kind, PageContent::Kind::Web);
    EXPECT_EQ(page.title, L"小站");
    ASSERT_EQ(page.linkTags.size(), 1u);
    PageContent::Attributes expected = {{L"rel", L"alternate"},
                                        {L"type", L"application/rss+xml"},
                                        {L"title", L"A & B"},
                                        {L"href", L"feeds/a.xml"}};
    EXPECT_EQ(page.linkTags[0], expected);
    ASSERT_EQ(page.blocks.size(), 3u);
    EXPECT_EQ(page.blocks[0].style, PageContent::Style::Heading);
    EXPECT_EQ(page.blocks[0].text, L"标题");
    EXPECT_EQ(page.blocks[1].style, PageContent::Style::Paragraph);
    EXPECT_EQ(page.blocks[1].text, L"第一段 文字");
    EXPECT_EQ(page.blocks[2].style, PageContent::Style::Link);
    EXPECT_EQ(page.blocks[2].href, L"x.html");
    for (const PageContent::Block& block : page.blocks) {
        EXPECT_EQ(block.text.find(L"evil"), std::wstring::npos);
        EXPECT_EQ(block.text.find(L"hidden"), std::wstring::npos);
    }
}

TEST(DemoPageContent, MarkupThatEndsInsideATagOrEntityStillReads) {
    EXPECT_NO_THROW(ParseMarkup(L"<p>a &amp"));
    EXPECT_NO_THROW(ParseMarkup(L"<div id=\"item\"><a href=\"x"));
    PageContent page = ParseMarkup(L"<p>1 < 2 &unknown; &#x4E2D;</p>");
    ASSERT_EQ(page.blocks.size(), 1u);
    EXPECT_EQ(page.blocks[0].text, L"1 < 2 &unknown; 中");
}

TEST(DemoPageContent, DecodingFollowsTheDeclaredCharset) {
    EXPECT_EQ(DecodeMarkup("\xEF\xBB\xBF<p>\xE4\xB8\xAD</p>"), L"<p>中</p>");
    EXPECT_EQ(DecodeMarkup("<meta charset=gb2312><p>\xD6\xD0</p>"),
              L"<meta charset=gb2312><p>中</p>");
}

TEST(DemoStyleSheet, ColoursComeFromTheRulesTheShippedSheetsUse) {
    SheetColours c = ColoursOfSheet(
        "/* night { } */ body { background: #111; color: #eeeeee }\n"
        "#title a, #date { color: #3366CC; }\n#item { border-left: 4px solid #abc }");
    EXPECT_EQ(c.page, RGB(0x11, 0x11, 0x11));
    EXPECT_EQ(c.text, RGB(0xEE, 0xEE, 0xEE));
    EXPECT_EQ(c.item, c.page);
    EXPECT_EQ(c.title, RGB(0x33, 0x66, 0xCC));
    EXPECT_EQ(c.date, RGB(0x33, 0x66, 0xCC));
    EXPECT_EQ(c.edge, RGB(0xAA, 0xBB, 0xCC));
    SheetColours plain = ColoursOfSheet("body { color: red; background: #12 }");
    EXPECT_EQ(plain.page, RGB(255, 255, 255));
}

TEST(DemoPageLoader, OnlyTheDemoServerAndFilesAreLoaded) {
    for (const wchar_t* outside : {L"http://example.org/", L"https://127.0.0.1/x",
                                   L"http://127.0.0.1.example.org/", L"ftp://127.0.0.1/"}) {
        LoadedDocument document = LoadDocument(outside);
        EXPECT_FALSE(document.ok) << outside;
        EXPECT_FALSE(document.failure.empty()) << outside;
    }
    EXPECT_FALSE(LoadDocument(L"C:\\no\\such\\page.html").ok);
    LoadedDocument site = LoadDocument(L"http://127.0.0.1/site/index.html");
    ASSERT_TRUE(site.ok) << site.failure.c_str();
    EXPECT_NE(site.bytes.find("feeds/tech.xml"), std::string::npos);
}

}  // namespace
