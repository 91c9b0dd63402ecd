// The feed engine Feed.dll in its own process, seen through a real tree pane:
// its stored subscriptions across restarts and kills, the outcome of each
// request, its dialogs and the OPML exchange.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "PaneScene.h"
#include "engine/EngineResources.h"
#include "server/EngineProtocol.h"

namespace {

std::string TestHost() {
    const char* host = std::getenv("FEED_TEST_HOST");
    return host && *host ? host : "127.0.0.1";
}

std::string FeedAddress(const std::string& query) {
    return "http://" + TestHost() + "/_feed?items=2&tag=engine" + query;
}

std::string XmlAmp(std::string text) {
    for (size_t at = 0; (at = text.find('&', at)) != std::string::npos; at += 5) {
        text.replace(at, 1, "&amp;");
    }
    return text;
}

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    return out;
}

HWND Engine() {
    return FindWindowA("RSS_Feed", nullptr);
}

void PostToEngine(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageA(Engine(), message, wParam, lParam);
}

void StartEngine() {
    // A slow start shows the band's error box: answer it and keep waiting.
    MessageBoxWatcher boxes;
    EngineLink link;
    std::wstring band = BuildPath("band/rssband.dll");
    link.FindOrStart(std::string(band.begin(), band.end()));
    WaitForWindowClass("RSS_Feed", kPatienceMs);
}

void RestartEngine() {
    ASSERT_TRUE(CloseEngines());
    StartEngine();
    ASSERT_TRUE(Engine());
}

bool KillEngine() {
    DWORD id = 0;
    GetWindowThreadProcessId(Engine(), &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return false;
    bool killed =
        TerminateProcess(process, 9) && WaitForSingleObject(process, kPatienceMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return killed;
}

// A dialog of the engine by caption, waited for until it is shown (and so
// filled in).
HWND WaitForDialog(const wchar_t* caption, DWORD ms = kPatienceMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; PumpMessages(20)) {
        HWND dialog = FindWindowW(L"#32770", caption);
        if (dialog && IsWindowVisible(dialog)) return dialog;
    }
    return nullptr;
}

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = L"";
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

// Presses a dialog button and waits until the dialog is gone.
bool Press(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    return PumpUntil([dialog] { return !IsWindow(dialog); });
}

// "text{children}" per item, siblings separated by commas: the tree's
// shape and texts without pictures, progress or unread marks, which follow
// the fetches.
std::wstring Shape(PaneScene& scene, HTREEITEM item) {
    std::wstring out;
    for (; item; item = TreeView_GetNextSibling(scene.Tree(), item)) {
        if (!out.empty()) out += L",";
        out += scene.Text(item);
        HTREEITEM child = TreeView_GetChild(scene.Tree(), item);
        if (child) out += L"{" + Shape(scene, child) + L"}";
    }
    return out;
}
std::wstring Shape(PaneScene& scene) {
    return Shape(scene, TreeView_GetRoot(scene.Tree()));
}

bool WaitForShape(PaneScene& scene, const std::wstring& shape, DWORD ms = kPatienceMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; PumpMessages(20)) {
        if (Shape(scene) == shape) return true;
    }
    return Shape(scene) == shape;
}

bool Expanded(PaneScene& scene, DWORD node) {
    return scene.State(scene.Item(node), TVIS_EXPANDED) != 0;
}

std::string ReadFileText(const std::wstring& path) {
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

void WriteFileText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

class FeedEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetEnvironmentVariableA("no_proxy", "127.0.0.1,localhost,*");
        PaneScene::StartEngine();
    }
    static void TearDownTestSuite() { PaneScene::StopEngine(); }

    static std::wstring StoreFile() { return PaneScene::Folder().File(L"subscriptions.txt"); }
};

// ---- the store

TEST_F(FeedEngineTest, RequestsChangeTheTreeAndARestartDescribesItAgain) {
    {
        PaneScene scene;
        PaneScene::Script(
            "node\t1\t0\tfolder\t新闻\n"
            "node\t2\t1\tchannel\t国内\trss_s2\n"
            "node\t3\t0\tchannel\t博客\trss_s3\n"
            "node\t4\t0\tfolder\t旧闻\n");
        ASSERT_TRUE(WaitForShape(scene, L"新闻{国内},博客,旧闻"));

        PostToEngine(WM_RSS_FOLDER, 2, 0);  // beside the selected channel
        ASSERT_TRUE(WaitForShape(scene, L"新闻{新建目录,国内},博客,旧闻")) << Shape(scene);
        PostToEngine(WM_RSS_MOVE, 3, 5);
        ASSERT_TRUE(WaitForShape(scene, L"新闻{新建目录{博客},国内},旧闻")) << Shape(scene);
        // Into itself or below itself: refused, nothing changes.
        PostToEngine(WM_RSS_MOVE, 1, 5);
        PostToEngine(WM_RSS_DELETE, 4, 0);
        ASSERT_TRUE(WaitForShape(scene, L"新闻{新建目录{博客},国内}")) << Shape(scene);
        PostToEngine(WM_RSS_EXPAND, 5, 0);
        TreeView_Expand(scene.Tree(), scene.Item(5), TVE_COLLAPSE);
        ASSERT_TRUE(PaneScene::EngineCaughtUp());
    }
    RestartEngine();
    PaneScene scene(false);
    EXPECT_TRUE(WaitForShape(scene, L"新闻{新建目录{博客},国内}")) << Shape(scene);
    // Folders are opened and closed after the texts.
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_TRUE(Expanded(scene, 1));
    EXPECT_FALSE(Expanded(scene, 5));
    // Ids and page names stay what they were.
    EXPECT_TRUE(scene.Item(3));
    std::string stored = ReadFileText(StoreFile());
    EXPECT_NE(std::string::npos, stored.find("rss_s3")) << stored;
}

TEST_F(FeedEngineTest, AKillDuringSavesLeavesTheOldOrTheNewTree) {
    std::string tree = "node\t1\t0\tfolder\tA\n";
    for (int id = 2; id <= 60; ++id) {
        tree += "node\t" + std::to_string(id) + "\t1\tchannel\tC" + std::to_string(id) + "\trss_k" +
                std::to_string(id) + "\n";
    }
    {
        PaneScene scene;
        PaneScene::Script(tree);
    }
    std::string whole = ReadFileText(StoreFile());
    for (DWORD delay : {30, 90, 160, 250, 400}) {
        // The send gives up at once; the engine goes on saving until killed.
        SendEngineScript("churn\t100000", 5);
        Sleep(delay);
        ASSERT_TRUE(KillEngine());
        StartEngine();
        PaneScene scene(false);
        std::wstring shape;
        PumpUntil([&] {
            shape = Shape(scene);
            return std::count(shape.begin(), shape.end(), L',') >= 58;
        });
        ASSERT_TRUE(shape.compare(0, 3, L"A{C") == 0 || shape.compare(0, 4, L"A*{C") == 0)
            << delay << " ms: " << Utf8(shape.substr(0, 40));
        ASSERT_EQ(58, std::count(shape.begin(), shape.end(), L',')) << delay << " ms";
        EXPECT_NE(std::wstring::npos, shape.find(L",C60,")) << delay << " ms: " << Utf8(shape);
    }
    // A half-written file is not taken for the tree, and is kept aside. A
    // whole new file the last kill may have left would rightly be taken.
    ASSERT_TRUE(CloseEngines());
    DeleteFileW((StoreFile() + L".new").c_str());
    WriteFileText(StoreFile(), whole.substr(0, whole.size() / 2));
    StartEngine();
    {
        PaneScene scene(false);
        EXPECT_EQ(L"", Shape(scene));
    }
    EXPECT_EQ(whole.substr(0, whole.size() / 2),
              ReadFileText(PaneScene::Folder().File(L"subscriptions.txt.broken")));
    // A whole new file that a crash left before its move is taken.
    ASSERT_TRUE(CloseEngines());
    WriteFileText(StoreFile(), whole.substr(0, whole.size() - 3));
    WriteFileText(StoreFile() + L".new", whole);
    StartEngine();
    PaneScene scene(false);
    EXPECT_TRUE(PumpUntil([&] { return scene.Item(60) != nullptr; }));
}

// ---- dialogs

TEST_F(FeedEngineTest, DroppedLinkOpensThePrefilledAddDialogAndTheFeedNamesTheChannel) {
    PaneScene scene;
    PaneScene::Script("node\t1\t0\tfolder\tF\n");
    HWND pane = scene.PaneWindow();
    std::string link = "http://x.test/feed.xml";
    POINT point = scene.LabelPoint(scene.Item(1));
    SendMessageA(pane, WM_RSS_DRAG_ENTER, 0, MAKELPARAM(point.x, point.y));
    SendMessageA(pane, WM_RSS_DROP, reinterpret_cast<WPARAM>(&link[0]),
                 MAKELPARAM(point.x, point.y));
    HWND dialog = WaitForDialog(kAddChannelCaption);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(L"http://x.test/feed.xml", ItemText(dialog, IDC_ADDRESS));

    // An empty address is no answer: the dialog stays (one that ends is
    // hidden before the press returns).
    SetDlgItemTextW(dialog, IDC_ADDRESS, L"  ");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
    std::string address = FeedAddress("&n=1");
    SetDlgItemTextA(dialog, IDC_ADDRESS, address.c_str());
    ASSERT_TRUE(Press(dialog, IDOK));
    // Named by its address until the feed names it; the page is written.
    EXPECT_TRUE(WaitForShape(scene, L"F{Generated}")) << Shape(scene);
    HTREEITEM channel = TreeView_GetChild(scene.Tree(), scene.Item(1));
    ASSERT_TRUE(channel);
    EXPECT_EQ(2, scene.Image(channel));
    // Its unread mark follows the name.
    EXPECT_TRUE(PumpUntil([&] { return scene.Bold(channel); }));
}

TEST_F(FeedEngineTest, PropertiesRenameAndReaddressAChannel) {
    PaneScene scene;
    PaneScene::Script("add\t" + FeedAddress("&n=2"));
    ASSERT_TRUE(WaitForShape(scene, L"Generated")) << Shape(scene);
    HWND engine = Engine();
    PostMessageA(engine, WM_RSS_PROPERTIES, 1, 0);
    HWND dialog = WaitForDialog(kPropertiesCaption);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(L"Generated", ItemText(dialog, IDC_TITLE));
    EXPECT_EQ(FeedAddress("&n=2"), Utf8(ItemText(dialog, IDC_ADDRESS)));
    SetDlgItemTextW(dialog, IDC_TITLE, L"我的频道");
    SetDlgItemTextA(dialog, IDC_ADDRESS, FeedAddress("&status=500").c_str());
    ASSERT_TRUE(Press(dialog, IDOK));
    EXPECT_TRUE(WaitForShape(scene, L"我的频道"));
    // The new address is fetched at once; its failure shows, the name stays.
    EXPECT_TRUE(PumpUntil([&] { return scene.Image(scene.Item(1)) == 3; }));
    EXPECT_EQ(L"我的频道", Shape(scene));
    std::string stored = ReadFileText(StoreFile());
    EXPECT_NE(std::string::npos, stored.find("status=500")) << stored;
}

TEST_F(FeedEngineTest, ASecondStartHandsItsAddressToTheRunningEngine) {
    PaneScene scene;
    std::wstring command =
        L"rundll32 \"" + BuildPath("band/Feed.dll") + L"\",EntryPoint http://x.test/rss.xml";
    HWND engine = Engine();
    EXPECT_EQ(0, RunProcess(command, 2 * kPatienceMs));
    EXPECT_EQ(engine, Engine());
    HWND dialog = WaitForDialog(kAddChannelCaption);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(L"http://x.test/rss.xml", ItemText(dialog, IDC_ADDRESS));
    ASSERT_TRUE(Press(dialog, IDCANCEL));
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_EQ(L"", Shape(scene));
}

// ---- OPML

TEST_F(FeedEngineTest, ExportResetImportGivesTheSameTree) {
    std::wstring opml = PaneScene::Folder().File(L"round.opml");
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF & <G>\n"
        "node\t2\t1\tfolder\tInner\n");
    // Titled by the list, so the fetches do not rename them.
    std::string list =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><opml version=\"2.0\"><body>"
        "<outline type=\"rss\" text=\"One\" xmlUrl=\"" +
        XmlAmp(FeedAddress("&n=r1")) +
        "\"/>"
        "<outline type=\"rss\" text=\"Two &quot;2&quot;\" xmlUrl=\"" +
        XmlAmp(FeedAddress("&n=r2")) + "\"/></body></opml>";
    WriteFileText(PaneScene::Folder().File(L"in.opml"), list);
    PaneScene::Script("import\t" + Utf8(PaneScene::Folder().File(L"in.opml")) + "\t2\n" + "add\t" +
                      FeedAddress("&n=r3") + "\t1");
    ASSERT_TRUE(WaitForShape(scene, L"F & <G>{Inner{One,Two \"2\"},Generated}")) << Shape(scene);
    std::wstring before = Shape(scene);

    PaneScene::Script("export\t" + Utf8(opml));
    std::string written = ReadFileText(opml);
    EXPECT_NE(std::string::npos, written.find("<opml version=\"2.0\">")) << written;
    EXPECT_NE(std::string::npos, written.find("type=\"rss\"")) << written;
    EXPECT_NE(std::string::npos, written.find("title=\"F &amp; &lt;G&gt;\"")) << written;
    EXPECT_NE(std::string::npos, written.find("xmlUrl=\"http://")) << written;

    PaneScene fresh;
    PaneScene::Script("import\t" + Utf8(opml));
    EXPECT_TRUE(WaitForShape(fresh, before)) << Shape(fresh);
    // Addresses already subscribed are not added twice.
    PaneScene::Script("import\t" + Utf8(opml));
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_EQ(before, Shape(fresh));
    std::string stored = ReadFileText(StoreFile());
    EXPECT_NE(std::string::npos, stored.find("n=r2")) << stored;
}

TEST_F(FeedEngineTest, ImportsOpmlOneWithNestedOutlinesAsFolders) {
    PaneScene scene;
    PaneScene::Script("import\t" + Utf8(SourcePath("tests/data/opml/subscriptions-1.0.opml")));
    EXPECT_TRUE(WaitForShape(scene, L"技术{开源{Kernel},Web},Blog,导入的目录{Deep}"))
        << Shape(scene);
    // Not OPML: refused as a whole, the tree stays.
    EXPECT_EQ(0, SendEngineScript("import\t" + Utf8(SourcePath("tests/data/feeds/rss20.xml"))));
    EXPECT_EQ(0, SendEngineScript("import\t" + Utf8(PaneScene::Folder().File(L"missing.opml"))));
    // So is a list that declares entities, the reader the button shares refuses it.
    std::wstring hostile = PaneScene::Folder().File(L"entities.opml");
    WriteFileText(hostile,
                  "<!DOCTYPE opml [<!ENTITY e \"Entity\">]><opml><body>"
                  "<outline text=\"&e;\" xmlUrl=\"http://e.invalid/rss\"/></body></opml>");
    EXPECT_EQ(0, SendEngineScript("import\t" + Utf8(hostile)));
    EXPECT_TRUE(scene.Item(1));
}

}  // namespace
