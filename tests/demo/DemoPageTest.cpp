// The demo frame's page reading: channel pages as the engine writes them,
// web pages with their feed links, style sheet colours, and the rule that
// the frame fetches nothing but the demo's own server. Then its pictures,
// taken in this process or by another demo.exe (DEMO_CAMERA: the 32-bit walk
// has the x86_64 build take them).
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "PageContent.h"
#include "PageLoader.h"
#include "Screenshot.h"
#include "StyleSheet.h"
#include "common/FileHandle.h"
#include "common/GdiObject.h"
#include "support/BandTestSupport.h"
#include "support/TestPaths.h"

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

// A topmost window of one colour where the pictures are taken.
class DemoCamera : public ::testing::Test {
protected:
    static constexpr RECT kArea = {40, 40, 140, 100};
    static constexpr COLORREF kColour = RGB(200, 30, 60);

    void SetUp() override {
        brush_ = GdiObject<HBRUSH>(CreateSolidBrush(kColour));
        WNDCLASSW patchClass = {};
        patchClass.lpfnWndProc = DefWindowProcW;
        patchClass.hInstance = GetModuleHandleW(nullptr);
        patchClass.hbrBackground = brush_.Get();
        patchClass.lpszClassName = kClass;
        RegisterClassW(&patchClass);
        patch_ =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP | WS_VISIBLE,
                            kArea.left, kArea.top, kArea.right - kArea.left,
                            kArea.bottom - kArea.top, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(patch_, nullptr);
        UpdateWindow(patch_);
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        picture_ = std::wstring(temp) + L"camera.bmp";
        DeleteFileW(picture_.c_str());
    }
    void TearDown() override {
        if (patch_) DestroyWindow(patch_);
        UnregisterClassW(kClass, GetModuleHandleW(nullptr));
        DeleteFileW(picture_.c_str());
    }

    // Takes pictures of kArea until one shows the patch: the window reaches
    // the screen once this thread has let it paint.
    bool PictureShowsPatch(const std::function<bool(const RECT&, const std::wstring&)>& take) {
        return PumpUntil([&] { return take(kArea, picture_) && MiddleIsPatch(); });
    }

    // The picture is the area's size in 24 bits, and its middle is the patch.
    bool MiddleIsPatch() const {
        std::vector<BYTE> bytes = FileBytes();
        const size_t headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        if (bytes.size() < headers) return false;
        auto info = reinterpret_cast<const BITMAPINFOHEADER*>(&bytes[sizeof(BITMAPFILEHEADER)]);
        int width = kArea.right - kArea.left, height = kArea.bottom - kArea.top;
        size_t row = (width * 3 + 3) & ~3u;
        if (info->biWidth != width || info->biHeight != height || info->biBitCount != 24 ||
            bytes.size() != headers + row * height) {
            return false;
        }
        const BYTE* middle = &bytes[headers + row * (height / 2) + 3 * (width / 2)];
        return RGB(middle[2], middle[1], middle[0]) == kColour;
    }

    std::vector<BYTE> FileBytes() const {
        FileHandle file = OwnFile(CreateFileW(picture_.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
        std::vector<BYTE> bytes(file ? GetFileSize(file.Get(), nullptr) : 0);
        DWORD read = 0;
        if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), bytes.size(), &read, nullptr))
            bytes.clear();
        bytes.resize(read);
        return bytes;
    }

    static constexpr wchar_t kClass[] = L"DemoCameraPatch";
    GdiObject<HBRUSH> brush_;
    HWND patch_ = nullptr;
    std::wstring picture_;
};

TEST_F(DemoCamera, AnotherDemoProgramPicturesWhatThisProcessShows) {
    const std::wstring camera = WindowsPath(DEMO_CAMERA);
    EXPECT_TRUE(PictureShowsPatch([&](const RECT& area, const std::wstring& path) {
        return SaveScreenAreaBy(camera, area, path);
    }));
    EXPECT_TRUE(PictureShowsPatch(&SaveScreenArea));
}

TEST_F(DemoCamera, PicturesThatCannotBeTakenAreSaidToBeMissing) {
    const std::wstring camera = WindowsPath(DEMO_CAMERA);
    const RECT empty = {40, 40, 40, 100};
    EXPECT_FALSE(SaveScreenAreaBy(camera, empty, picture_));
    EXPECT_EQ(GetFileAttributesW(picture_.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SaveScreenAreaBy(camera + L".missing", kArea, picture_));
    std::wstring unwritable = picture_ + L"\\no\\such\\folder.bmp";
    EXPECT_FALSE(SaveScreenAreaBy(camera, kArea, unwritable));
}

TEST(DemoCameraSwitch, OnlyAWholeAreaAndAPathAreTaken) {
    auto parse = [](std::vector<const wchar_t*> args, RECT& area, std::wstring& path) {
        std::vector<wchar_t*> argv = {const_cast<wchar_t*>(L"demo.exe")};
        for (const wchar_t* arg : args) argv.push_back(const_cast<wchar_t*>(arg));
        return ParseSaveScreenArea(static_cast<int>(argv.size()), argv.data(), area, path);
    };
    RECT area = {};
    std::wstring path;
    ASSERT_TRUE(parse({L"--save-screen-area=-5,6,700,800", L"Z:\\out\\图 1.bmp"}, area, path));
    EXPECT_EQ(area.left, -5);
    EXPECT_EQ(area.top, 6);
    EXPECT_EQ(area.right, 700);
    EXPECT_EQ(area.bottom, 800);
    EXPECT_EQ(path, L"Z:\\out\\图 1.bmp");
    EXPECT_FALSE(parse({L"--save-screen-area=1,2,3", L"a.bmp"}, area, path));
    EXPECT_FALSE(parse({L"--save-screen-area=1,2,3,4x", L"a.bmp"}, area, path));
    EXPECT_FALSE(parse({L"--save-screen-area=1,2,3,4"}, area, path));
    EXPECT_FALSE(parse({L"--save-screen-area=1,2,3,4", L""}, area, path));
    EXPECT_FALSE(parse({L"--check"}, area, path));
}

}  // namespace
