#include <gtest/gtest.h>

#include "FeedTestSupport.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedParser.h"

using namespace feedtest;

namespace {
struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Runs rsstool with the arguments, collecting its standard output; bounded.
ToolRun RunTool(const std::wstring& arguments) {
    ToolRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + BuildPath("tools/rsstool/rsstool.exe") + L"\" " + arguments;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got)
            run.output.append(buffer, got);
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &run.exitCode);
        else
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    return run;
}

// The cache file of the number as UTF-8 text without its byte-order mark.
std::string CacheAsUtf8(int number) {
    std::string bytes = ReadBytes(FeedCachePath(number));
    if (bytes.size() < 2) return std::string();
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                        nullptr, nullptr);
    return utf8;
}

class RssToolTest : public ::testing::Test {
protected:
    void SetUp() override { ClearDataFolder(); }
};

TEST_F(RssToolTest, ParseAgreesWithParseFeedFileOnEveryFixture) {
    const char* fixtures[] = {
        "rss20.xml",
        "rss091.xml",
        "rss092.xml",
        "rss10.xml",
        "atom10.xml",
        "atom03.xml",
        "blank_title.xml",
        "channel_link_empty.xml",
        "missing_item_link.xml",
        "long_values.xml",
        "gb2312.xml",
        "gb2312_atom.xml",
        "utf8_bom.xml",
        "numeric_refs.xml",
        "big5.xml",
        "windows1251.xml",
        "shift_jis.xml",
        "utf16le.xml",
        "injection.xml",
    };
    for (const char* fixture : fixtures) {
        ScratchFile copy(fixture);
        ASSERT_EQ(ParseFeedFile(copy.Path(), 5), 1) << fixture;
        std::string expected = CacheAsUtf8(5);
        ToolRun run =
            RunTool(L"parse \"" + SourcePath(std::string("tests/data/feeds/") + fixture) + L"\" 4");
        EXPECT_EQ(run.exitCode, 0u) << fixture;
        EXPECT_EQ(run.output, expected) << fixture;
        EXPECT_EQ(run.output.compare(0, 8, "[main]\r\n"), 0) << fixture;
    }
}

TEST_F(RssToolTest, ParseLeavesItsInputAloneAndDefaultsToCacheZero) {
    std::wstring fixture = SourcePath("tests/data/feeds/gb2312.xml");
    std::string before = ReadBytes(fixture);
    ToolRun run = RunTool(L"parse \"" + fixture + L"\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(ReadBytes(fixture), before);
    EXPECT_EQ(IniValue(FeedCachePath(0), L"main", L"title"), L"新浪博客");
    EXPECT_NE(run.output.find("title=\xE6\x96\xB0\xE6\xB5\xAA"), std::string::npos);
}

TEST_F(RssToolTest, FailedParseExitsWithOne) {
    for (const char* fixture : {"empty_title.xml", "not_a_feed.html", "gbk_no_gt.xml"}) {
        ToolRun run =
            RunTool(L"parse \"" + SourcePath(std::string("tests/data/feeds/") + fixture) + L"\"");
        EXPECT_EQ(run.exitCode, 1u) << fixture;
        EXPECT_EQ(run.output, "") << fixture;
    }
    EXPECT_EQ(RunTool(L"parse").exitCode, 2u);
    EXPECT_EQ(RunTool(L"unknown-command").exitCode, 2u);
}

TEST_F(RssToolTest, FetchDownloadsFromTheTestServer) {
    ToolRun run = RunTool(L"fetch " + ServerUrl(L"/feeds/atom10.xml") + L" 2");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.output.find("link=http://example.org/atom.xml"), std::string::npos);
    EXPECT_EQ(IniValue(FeedCachePath(2), L"main", L"count"), L"3");
    EXPECT_EQ(RunTool(L"fetch " + ServerUrl(L"/feeds/none.xml")).exitCode, 1u);
}

TEST_F(RssToolTest, OpmlListsGoInAndOutOfTheStoreInTheDataFolder) {
    std::wstring list = SourcePath("tests/data/opml/subscriptions-1.0.opml");
    ToolRun run = RunTool(L"import-opml \"" + list + L"\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "imported 4, skipped 1\n");
    EXPECT_EQ(RunTool(L"import-opml \"" + list + L"\"").output, "imported 0, skipped 5\n");

    ScratchFile exported;
    run = RunTool(L"export-opml \"" + std::wstring(exported.Path()) + L"\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "exported 4\n");
    EXPECT_EQ(CountOf(exported.Bytes(), "<outline type=\"rss\""), 4);

    // A refused document: exit 1, nothing on standard output, the store as it was.
    std::string store = ReadBytes(DataFile(L"rss.ini"));
    ScratchFile hostile;
    WriteBytes(hostile.Path(),
               "<!DOCTYPE opml [<!ENTITY e \"x\">]><opml><body>"
               "<outline text=\"&e;\" xmlUrl=\"http://e.invalid/\"/></body></opml>");
    run = RunTool(L"import-opml \"" + std::wstring(hostile.Path()) + L"\"");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(ReadBytes(DataFile(L"rss.ini")), store);
    EXPECT_EQ(RunTool(L"import-opml").exitCode, 2u);
}
}  // namespace
