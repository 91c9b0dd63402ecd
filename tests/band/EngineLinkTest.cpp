// Finding or starting the feed engine, its version gate, and the requests
// the band sends it, against the stand-in engine run by the real RUNDLL32.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>

#include "server/EngineLink.h"
#include "server/EngineProtocol.h"
#include "server/EngineVersion.h"
#include "support/BandTestSupport.h"
#include "support/TestPaths.h"
#include "testengine/EngineControl.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::string BandModulePath() {
    return Narrow(BuildPath("band/rssband.dll"));
}

// A module path whose "Feed.dll" is the engine as the installer ships it.
std::string ShippedEngineModulePath() {
    return Narrow(BuildPath("engine/rssband.dll"));
}

std::string ReadAll(const std::wstring& path) {
    std::string text;
    for (const std::string& line : ReadLines(path)) text += line + "\n";
    return text;
}

// The shipped engine's subscriptions in the user's application data, put
// back as they were when the test is done with them.
class UserSubscriptions {
public:
    UserSubscriptions() {
        wchar_t appData[MAX_PATH] = L"";
        SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
        path_ = std::wstring(appData) + L"\\RssFeed\\subscriptions.txt";
        existed_ = GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (existed_) CopyFileW(path_.c_str(), (path_ + L".saved").c_str(), FALSE);
    }
    ~UserSubscriptions() {
        if (existed_) {
            MoveFileExW((path_ + L".saved").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
        } else {
            DeleteFileW(path_.c_str());
        }
    }
    bool WaitForText(const std::string& part, DWORD ms) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms; PumpMessages(50)) {
            if (ReadAll(path_).find(part) != std::string::npos) return true;
        }
        return false;
    }

private:
    std::wstring path_;
    bool existed_ = false;
};

int CountEngineWindows() {
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "RSS_Feed", nullptr));) {
        ++count;
    }
    return count;
}

// The executable name of the process that owns the window, lower case.
std::wstring ProcessImage(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    std::wstring image;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && image.empty();
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == id) image = entry.szExeFile;
    }
    CloseHandle(snapshot);
    if (!image.empty()) CharLowerW(&image[0]);
    return image;
}

// The band's link with its waits recorded. Where the band pauses 100 ms
// before it looks again, this one waits for the engine's window (or only
// records the pause): a start slowed by a busy machine is still found, and
// no verdict depends on how long the start took.
class WatchedLink : public EngineLink {
public:
    explicit WatchedLink(bool awaitWindow = true) : awaitWindow_(awaitWindow) {}

    std::vector<DWORD> idleWaits;
    std::vector<DWORD> pauses;

protected:
    void WaitForIdle(HANDLE process, DWORD ms) override {
        idleWaits.push_back(ms);
        EngineLink::WaitForIdle(process, ms);
    }
    void Pause(DWORD ms) override {
        pauses.push_back(ms);
        if (awaitWindow_) WaitForWindowClass("RSS_Feed", kPatienceMs);
    }

private:
    bool awaitWindow_;
};

class EngineLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CloseEngines());
        SetEnvironmentVariableW(L"FEED_ENGINE_LOG", log_.File(L"engine.log").c_str());
        SetEnvironmentVariableW(L"FEED_ENGINE_DATA", log_.Path().c_str());
    }
    void TearDown() override {
        EXPECT_TRUE(CloseEngines());
        SetEnvironmentVariableW(L"FEED_ENGINE_LOG", nullptr);
        SetEnvironmentVariableW(L"FEED_ENGINE_DATA", nullptr);
    }
    std::vector<std::string> EngineLog() { return ReadLines(log_.File(L"engine.log")); }

    TempFolder log_;
};

TEST_F(EngineLinkTest, StartsTheEngineThroughRundll32AndFindsItLater) {
    MessageBoxWatcher boxes;
    WatchedLink link;
    HWND engine = link.FindOrStart(BandModulePath());
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine, link.Window());
    EXPECT_EQ(engine, FindWindowA("RSS_Feed", nullptr));
    std::wstring image = ProcessImage(engine);
    EXPECT_NE(std::wstring::npos, image.find(L"rundll32")) << image;
    EXPECT_EQ(link.idleWaits, std::vector<DWORD>{500});
    EXPECT_LE(link.pauses.size(), 3u);

    // A running engine is found, even from a folder that has no engine file.
    TempFolder empty;
    EngineLink second;
    EXPECT_EQ(engine, second.FindOrStart(Narrow(empty.File(L"rssband.dll"))));
    EXPECT_EQ(1, CountEngineWindows());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(EngineLinkTest, MissingEngineFileShowsTheFirstBox) {
    MessageBoxWatcher boxes;
    TempFolder empty;
    EngineLink link;
    EXPECT_EQ(nullptr, link.FindOrStart(Narrow(empty.File(L"rssband.dll"))));
    EXPECT_EQ(nullptr, link.Window());
    ASSERT_TRUE(boxes.WaitFor(1));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(L"错误", boxes.Boxes()[0].caption);
    EXPECT_EQ(L"运行文件损坏或丢失, 新闻阅读服务不可用", boxes.Boxes()[0].text);
    EXPECT_EQ(0, CountEngineWindows());
}

TEST_F(EngineLinkTest, EngineThatNeverShowsUpGivesTheSecondBoxAfterThreeMoreLooks) {
    MessageBoxWatcher boxes;
    TempFolder folder;
    // A file named Feed.dll that RUNDLL32 cannot run.
    HANDLE file = CreateFileW(folder.File(L"Feed.dll").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "not a library", 13, &written, nullptr);
    CloseHandle(file);

    WatchedLink link(false);
    EXPECT_EQ(nullptr, link.FindOrStart(Narrow(folder.File(L"rssband.dll"))));
    ASSERT_TRUE(boxes.WaitFor(1));
    EXPECT_EQ(L"新闻阅读服务不可用", boxes.Boxes()[0].text);
    EXPECT_EQ(L"错误", boxes.Boxes()[0].caption);
    // At most 500 ms of input-idle wait, then three more looks 100 ms apart.
    EXPECT_EQ(link.idleWaits, std::vector<DWORD>{500});
    EXPECT_EQ(link.pauses, (std::vector<DWORD>{100, 100, 100}));
}

TEST_F(EngineLinkTest, RequestsReachTheEngineWithNodeIds) {
    WatchedLink link;
    ASSERT_TRUE(link.FindOrStart(BandModulePath()));

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(tree);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>("channel");
    insert.item.lParam = 42;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    ASSERT_TRUE(item);

    link.Post(WM_RSS_UPDATE, 0, RSS_UPDATE_FOLDER);
    link.PostForItem(WM_RSS_PROPERTIES, tree, item, 0);
    link.PostForItem(WM_RSS_FOLDER, tree, nullptr, 0);
    std::vector<std::string> lines;
    for (DWORD start = GetTickCount(); lines.size() < 3 && GetTickCount() - start < kPatienceMs;
         PumpMessages(20)) {
        lines = EngineLog();
    }
    EXPECT_EQ((std::vector<std::string>{"2034 0 1073741824", "2029 42 0", "2025 0 0"}), lines);

    // Sent: in the log as soon as the call returns.
    link.SendDroppedText(tree, 42, "abc");
    lines = EngineLog();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("74 " + std::to_string(reinterpret_cast<ULONG_PTR>(tree)) + " 42 5 0061626300",
              lines[3]);
    DestroyWindow(tree);
}

// Where the volume has no 8.3 names the band starts the engine by its long
// path, which RUNDLL32 takes whole only in quotes.
TEST_F(EngineLinkTest, EngineStartsFromALongPathWithBlanks) {
    TempFolder temp;
    std::wstring folder = temp.File(L"Program Files");
    std::wstring engine = folder + L"\\Feed.dll";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(BuildPath("band/Feed.dll").c_str(), engine.c_str(), FALSE));
    // An 8.3 path goes on the line as it always did.
    EXPECT_EQ("RUNDLL32 C:\\PROGRA~1\\RSS\\Feed.dll,EntryPoint",
              EngineCommandLine("C:\\PROGRA~1\\RSS\\Feed.dll"));

    std::string line = EngineCommandLine(Narrow(engine));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << line;
    EXPECT_TRUE(WaitForWindowClass("RSS_Feed", kPatienceMs)) << line;
    EXPECT_TRUE(CloseEngines());
    WaitForSingleObject(process.hProcess, kPatienceMs);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    DeleteFileW(engine.c_str());
    RemoveDirectoryW(folder.c_str());
}

// Scripts and the test switches belong to the tests' build of the engine:
// the shipped one runs no script, however it is tagged, logs nothing and
// keeps the subscriptions in the user's own folder.
TEST_F(EngineLinkTest, ShippedEngineTakesNoScriptsAndReadsNoTestSwitches) {
    UserSubscriptions user;
    WatchedLink link;
    ASSERT_TRUE(link.FindOrStart(ShippedEngineModulePath()));
    std::wstring exported = log_.File(L"exported.opml");
    EXPECT_EQ(0, SendEngineScript("export\t" + Narrow(exported)));
    EXPECT_EQ(0, SendEngineScript("reset"));

    link.Post(WM_RSS_FOLDER, 0, 0);
    EXPECT_TRUE(user.WaitForText("\xE6\x96\xB0\xE5\xBB\xBA\xE7\x9B\xAE\xE5\xBD\x95", kPatienceMs));
    EXPECT_TRUE(CloseEngines());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(exported.c_str()));
    EXPECT_TRUE(EngineLog().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(log_.File(L"subscriptions.txt").c_str()));
}

TEST(EngineVersionTest, PacksCommaSeparatedFieldsOfEightBits) {
    EXPECT_EQ(0x01000800u, PackEngineVersion("1, 0, 8, 0"));
    EXPECT_EQ(0x01000801u, PackEngineVersion("1, 0, 8, 1"));
    EXPECT_EQ(0x01010000u, PackEngineVersion("1, 1"));
    EXPECT_EQ(0x01000000u, PackEngineVersion("1.0.9.0"));
    EXPECT_EQ(0x00000900u, PackEngineVersion("256, 0, 9, 0"));
    EXPECT_EQ(0x01000800u, PackEngineVersion("1, 0, 264, 0"));
    EXPECT_EQ(0x02030405u, PackEngineVersion("2,3 beta,4,5,6"));
    EXPECT_EQ(0u, PackEngineVersion(""));
}

// The gate reads "feed.dll" beside the module path it is given.
bool GateFor(const char* engineFolder) {
    std::string folder = Narrow(BuildPath(std::string("tests/engines/") + engineFolder));
    return IsNewerEngine(folder + "\\rssband.dll");
}

TEST(EngineVersionTest, GateAgainstEngineFiles) {
    EXPECT_FALSE(GateFor("v1080"));
    EXPECT_TRUE(GateFor("v1081"));
    EXPECT_TRUE(GateFor("v11"));
    EXPECT_FALSE(GateFor("dotted"));
    EXPECT_FALSE(GateFor("field256"));
    EXPECT_FALSE(GateFor("field264"));
    // The engine beside the band is 1, 0, 8, 1.
    EXPECT_TRUE(IsNewerEngine(BandModulePath()));
}

TEST(EngineVersionTest, NoEngineFileOrNoFolderIsNotNewer) {
    TempFolder empty;
    EXPECT_FALSE(IsNewerEngine(Narrow(empty.File(L"rssband.dll"))));
    EXPECT_FALSE(IsNewerEngine("rssband.dll"));
    // A file without version information.
    HANDLE file = CreateFileW(empty.File(L"feed.dll").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    EXPECT_FALSE(IsNewerEngine(Narrow(empty.File(L"rssband.dll"))));
}

}  // namespace
