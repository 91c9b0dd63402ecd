// The band's tree pane as the engine and the user drive it: a real pane
// under the display, the stand-in engine in its own process reaching it
// through the relay window and batches, the tree read back through
// tree-view messages and the engine's requests read from its log.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PaneScene.h"
#include "engine/EngineResources.h"
#include "history/UrlHistoryRecorder.h"
#include "res/resource.h"
#include "server/EngineProtocol.h"
#include "server/SettingsKey.h"
#include "support/ChildProcess.h"
#include "ui/FeedDirectory.h"
#include "ui/StatusBarDrawing.h"

namespace {

class FeedTreePaneTest : public EngineSuite {
protected:
    void TearDown() override {
        EXPECT_EQ(expectedBoxes_, boxes_->Boxes().size());
        boxes_.reset();
    }
    // Answers the pane's confirmations from now on, after beforeAnswer.
    void AnswerBoxes(int answer, std::function<void()> beforeAnswer = nullptr) {
        boxes_.reset(new MessageBoxWatcher(answer, std::move(beforeAnswer)));
    }

    std::unique_ptr<MessageBoxWatcher> boxes_{new MessageBoxWatcher(IDNO)};
    size_t expectedBoxes_ = 0;
};

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The index of a line in the engine's log, -1 when it is missing.
int LogIndex(const std::string& line) {
    std::vector<std::string> log = PaneScene::Log();
    auto found = std::find(log.begin(), log.end(), line);
    return found == log.end() ? -1 : static_cast<int>(found - log.begin());
}

bool WaitForNavigations(PaneScene& scene, size_t count, DWORD ms = kPatienceMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        if (scene.Browser()->Navigations().size() >= count) return true;
        PumpMessages(20);
    }
    return scene.Browser()->Navigations().size() >= count;
}

std::wstring PageFile(const std::wstring& page) {
    return PaneScene::Folder().File(page + L".html");
}

void WriteText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadFileText(const std::wstring& path) {
    std::string text;
    for (const std::string& line : ReadLines(path)) text += line + "\n";
    return text;
}

// ---- windows

TEST_F(FeedTreePaneTest, WindowsClassesAndStyles) {
    PaneScene scene;
    HWND pane = scene.PaneWindow();
    ASSERT_TRUE(pane);
    EXPECT_EQ("RSS_FeedTreePane", ClassOf(pane));
    EXPECT_EQ("RSS_SplitterWindow", ClassOf(scene.Frame()));
    HWND tree = scene.Tree();
    EXPECT_EQ("SysTreeView32", ClassOf(tree));
    EXPECT_EQ(0x56000827, GetWindowLongA(tree, GWL_STYLE));
    EXPECT_EQ(WS_EX_CLIENTEDGE, GetWindowLongA(tree, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    HWND toolbar = scene.Pane().ToolbarWindow();
    EXPECT_EQ("ToolbarWindow32", ClassOf(toolbar));
    EXPECT_EQ(0xE800, GetDlgCtrlID(toolbar));
    // The control keeps the window bits, tooltips and no divider; its flat
    // look it may keep under another bit.
    const LONG kKept = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                       TBSTYLE_TOOLTIPS | CCS_NODIVIDER;
    EXPECT_EQ(kKept, GetWindowLongA(toolbar, GWL_STYLE) & kKept);
    HWND status = scene.Pane().StatusWindow();
    EXPECT_EQ("msctls_statusbar32", ClassOf(status));
    EXPECT_EQ(0x50000800, GetWindowLongA(status, GWL_STYLE) & 0x5000FFFF);

    HWND agent = scene.Pane().AgentWindow();
    EXPECT_EQ("RSS_FeedTreePaneAgent", ClassOf(agent));
    EXPECT_EQ(agent, FindWindowA("RSS_FeedTreePaneAgent", nullptr));
    EXPECT_FALSE(IsWindowVisible(agent));

    // Toolbar on top, status bar at the bottom, the tree between them.
    RECT client, toolbarRect, treeRect, statusRect;
    GetClientRect(pane, &client);
    GetWindowRect(toolbar, &toolbarRect);
    GetWindowRect(tree, &treeRect);
    GetWindowRect(status, &statusRect);
    EXPECT_EQ(PaneScene::kWidth, client.right);
    EXPECT_EQ(toolbarRect.bottom, treeRect.top);
    EXPECT_EQ(treeRect.bottom, statusRect.top);
    EXPECT_EQ(client.bottom, statusRect.bottom - toolbarRect.top);
    EXPECT_TRUE(scene.WaitForLog("2024 0 " + scene.PaneId()));

    // A band lower than its bars gives the tree no room, and nothing fails.
    SetWindowPos(scene.Frame(), nullptr, 0, 0, PaneScene::kWidth, 12, SWP_NOZORDER | SWP_NOMOVE);
    GetWindowRect(tree, &treeRect);
    EXPECT_EQ(0, treeRect.bottom - treeRect.top);
    SetWindowPos(scene.Frame(), nullptr, 0, 0, PaneScene::kWidth, PaneScene::kHeight,
                 SWP_NOZORDER | SWP_NOMOVE);
    GetWindowRect(tree, &treeRect);
    EXPECT_GT(treeRect.bottom - treeRect.top, 100);

    // The relay goes with the pane.
    DestroyWindow(scene.Frame());
    EXPECT_FALSE(IsWindow(agent));
}

// Records what reaches the pane and answers the band's range with 77.
struct PaneRecorder {
    static std::vector<UINT>& Seen() {
        static std::vector<UINT> seen;
        return seen;
    }
    static WNDPROC& Original() {
        static WNDPROC original = nullptr;
        return original;
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message >= WM_USER || message == WM_COPYDATA) {
            Seen().push_back(message);
            return 77;
        }
        return CallWindowProcA(Original(), window, message, wParam, lParam);
    }
};

TEST_F(FeedTreePaneTest, RelayHandsItsRangeAndBatchesToThePaneAtOnce) {
    PaneScene scene;
    HWND agent = scene.Pane().AgentWindow();
    PaneRecorder::Seen().clear();
    PaneRecorder::Original() = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        scene.PaneWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneRecorder::Proc)));
    COPYDATASTRUCT data = {};
    EXPECT_EQ(77, SendMessageA(agent, WM_USER, 1, 2));
    EXPECT_EQ(77, SendMessageA(agent, WM_USER + 2000, 1, 2));
    EXPECT_EQ(77, SendMessageA(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    EXPECT_EQ(0, SendMessageA(agent, WM_USER + 2001, 1, 2));
    EXPECT_EQ(0, SendMessageA(agent, WM_USER - 1, 1, 2));
    EXPECT_EQ((std::vector<UINT>{WM_USER, WM_USER + 2000, WM_COPYDATA}), PaneRecorder::Seen());
    SetWindowLongPtrA(scene.PaneWindow(), GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(PaneRecorder::Original()));
}

// Holds the pane's first engine record until the batch's sender has been
// released: a pane that walked before replying would wait here in vain.
struct ReleaseWatch {
    static ReleaseWatch*& Current() {
        static ReleaseWatch* current = nullptr;
        return current;
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        ReleaseWatch* self = Current();
        if (message == WM_RSS_CHANNEL && !self->sawRecord) {
            self->sawRecord = true;
            self->releasedFirst =
                WaitForSingleObject(self->senderReleased, kPatienceMs) == WAIT_OBJECT_0;
        }
        return CallWindowProcA(self->original, window, message, wParam, lParam);
    }
    WNDPROC original = nullptr;
    HANDLE senderReleased = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool sawRecord = false;
    bool releasedFirst = false;
};

TEST_F(FeedTreePaneTest, BatchSenderIsReleasedBeforeTheFirstRecordIsHandled) {
    PaneScene scene;
    ReleaseWatch watch;
    ReleaseWatch::Current() = &watch;
    watch.original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        scene.PaneWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReleaseWatch::Proc)));
    // A channel record and its text, as an engine writes them.
    std::vector<BYTE> batch;
    auto dword = [&](DWORD value) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
        batch.insert(batch.end(), bytes, bytes + 4);
    };
    auto wide = [&](const std::wstring& text) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
        batch.insert(batch.end(), bytes, bytes + (text.size() + 1) * 2);
    };
    dword(WM_RSS_CHANNEL), dword(5), dword(0);
    dword(WM_RSS_ITEM_TEXT), dword(5), wide(L"频道"), wide(L"rss_5");
    dword(0);
    HWND agent = scene.Pane().AgentWindow();
    HANDLE released = watch.senderReleased;
    std::thread engine([agent, released, batch]() mutable {
        COPYDATASTRUCT data = {0, static_cast<DWORD>(batch.size()), batch.data()};
        DWORD_PTR result = 1;
        // Longer than the pane waits for the release.
        SendMessageTimeoutA(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                            2 * kPatienceMs, &result);
        // Once released, the sender's buffer is its own again.
        std::fill(batch.begin(), batch.end(), 0);
        SetEvent(released);
    });
    PumpUntil([&] { return scene.Dump().find(L"频道") != std::wstring::npos; });
    engine.join();
    SetWindowLongPtrA(scene.PaneWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watch.original));
    ReleaseWatch::Current() = nullptr;
    CloseHandle(watch.senderReleased);
    EXPECT_TRUE(watch.releasedFirst);
    EXPECT_EQ(L"频道:2", scene.Dump());
}

// ---- the tree follows the engine

TEST_F(FeedTreePaneTest, EngineBuildsTheTreeThroughTheRelay) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\t新闻\n"
        "node\t2\t1\tchannel\t国内新闻\trss_2\n"
        "node\t3\t9\tchannel\t无主\trss_3\n");
    // The first expansion of a folder reports itself: it shows open, and the
    // engine hears of it.
    EXPECT_EQ(L"新闻:1{国内新闻:2},无主:2", scene.Dump());
    EXPECT_TRUE(scene.WaitForLog("2027 1 1"));
}

TEST_F(FeedTreePaneTest, DuplicatesUnknownNodesAndForeignPointersChangeNothing) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tA\n"
        "node\t2\t1\tchannel\tB\trss_2\n");
    std::wstring before = scene.Dump();
    PaneScene::Script(
        "send\t2025\t2\t0\n"   // the id again, as a folder at the top
        "send\t2026\t0\t0\n"   // node 0 is no node
        "send\t2031\t99\t0\n"  // unknown nodes
        "send\t2034\t99\t5\n"
        "send\t2027\t99\t2\n"
        "send\t2028\t99\t0\n"
        "send\t2039\t99\t0\n"
        "send\t2038\t99\t0\n"
        "text\t99\tX\trss_99\n"
        // Pointers from another process: never read.
        "send\t2035\t2\t4660\n"
        "send\t2044\t0\t4660\n"
        "send\t2033\t4660\t0\n");
    EXPECT_EQ(before, scene.Dump());
    EXPECT_EQ(L"A:1{B:2}", before);

    // An empty page name changes only the text.
    PaneScene::Script("text\t2\tB2");
    EXPECT_EQ(L"A:1{B2:2}", scene.Dump());
    TreeView_SelectItem(scene.Tree(), scene.Item(2));
    scene.Command(ID_UPDATE);
    EXPECT_TRUE(scene.WaitForLog("2034 2 1"));
}

TEST_F(FeedTreePaneTest, ChannelCountsAsFolderUntilItsPageNameArrives) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tC\n");
    HTREEITEM channel = scene.Item(2);
    EXPECT_EQ(2, scene.Image(channel));
    scene.Click(channel);
    scene.Command(ID_UPDATE);
    scene.Command(ID_DELETE);
    expectedBoxes_ = 1;
    ASSERT_TRUE(boxes_->WaitFor(1));
    EXPECT_EQ(L"确认删除", boxes_->Boxes()[0].caption);
    EXPECT_EQ(L"确认删除目录 \"C\" 下的所有子目录和频道?", boxes_->Boxes()[0].text);
    EXPECT_TRUE(scene.WaitForLog("2034 2 1073741824"));
    EXPECT_FALSE(scene.Logged("2038 2 0"));
    EXPECT_FALSE(scene.Logged("2031 2 0"));

    PaneScene::Script("text\t2\tC\trss_2");
    AnswerBoxes(IDYES);
    scene.Command(ID_UPDATE);
    scene.Command(ID_DELETE);
    ASSERT_TRUE(boxes_->WaitFor(1));
    EXPECT_EQ(L"确认删除频道 \"C\" ?", boxes_->Boxes()[0].text);
    EXPECT_TRUE(scene.WaitForLog("2034 2 1"));
    // The engine removes it, and only then is the item gone.
    EXPECT_TRUE(scene.WaitForLog("2031 2 0"));
    PumpUntil([&] { return scene.Dump() == L"F:0"; });
    EXPECT_EQ(L"F:0", scene.Dump());
}

TEST_F(FeedTreePaneTest, DeleteConfirmationNamesABoldItemWithoutItsCount) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tchannel\t科技 (12)\trss_1\n"
        "node\t2\t0\tchannel\tx(3)\trss_2\n"
        "send\t2039\t1\t0\n"
        "send\t2039\t2\t0\n");
    TreeView_SelectItem(scene.Tree(), scene.Item(1));
    scene.Command(ID_DELETE);
    ASSERT_TRUE(boxes_->WaitFor(1));
    TreeView_SelectItem(scene.Tree(), scene.Item(2));
    scene.Command(ID_DELETE);
    ASSERT_TRUE(boxes_->WaitFor(2));
    PaneScene::Script("send\t2039\t1\t1");
    TreeView_SelectItem(scene.Tree(), scene.Item(1));
    scene.Command(ID_DELETE);
    ASSERT_TRUE(boxes_->WaitFor(3));
    expectedBoxes_ = 3;
    EXPECT_EQ(L"确认删除频道 \"科技\" ?", boxes_->Boxes()[0].text);
    EXPECT_EQ(L"确认删除频道 \"x(3)\" ?", boxes_->Boxes()[1].text);
    EXPECT_EQ(L"确认删除频道 \"科技 (12)\" ?", boxes_->Boxes()[2].text);
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_FALSE(scene.Logged("2031 1 0"));
}

// The box's loop handles the engine's messages: the node it named may go,
// and another item take its item's handle. Only the named node is deleted,
// and only while it is there.
TEST_F(FeedTreePaneTest, DeleteConfirmationActsOnlyOnTheNodeItNamed) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tA\trss_a\n");
    TreeView_SelectItem(scene.Tree(), scene.Item(2));
    AnswerBoxes(IDYES, [] { SendEngineScript("send\t2031\t2\t0\nnode\t3\t1\tchannel\tB\trss_b"); });
    scene.Command(ID_DELETE);
    expectedBoxes_ = 1;
    ASSERT_TRUE(boxes_->WaitFor(1, 3000));
    EXPECT_EQ(L"F:0{B:2}", scene.Dump());
    scene.Command(ID_UPDATE_ALL);
    EXPECT_TRUE(scene.WaitForLog("2034 0 1073741824"));
    for (const std::string& line : PaneScene::Log()) EXPECT_NE(0u, line.find("2031")) << line;
}

// TVE_COLLAPSE | TVE_COLLAPSERESET makes the control delete a folder's
// children itself; the pane forgets them too, so that the engine can show
// them again.
TEST_F(FeedTreePaneTest, CollapseThatResetsAFolderLetsItsChannelsComeBack) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tA\trss_r2\n"
        "node\t3\t1\tchannel\tB\trss_r3\n");
    PaneScene::Script("send\t2027\t1\t32769");
    EXPECT_EQ(nullptr, TreeView_GetChild(scene.Tree(), scene.Item(1)));
    PaneScene::Script("node\t2\t1\tchannel\tA\trss_r2\nnode\t3\t1\tchannel\tB\trss_r3");
    EXPECT_EQ(L"F:1{A:2,B:2}", scene.Dump());
    char page[] = "rss_r3";
    SendMessageA(scene.PaneWindow(), WM_RSS_PARTNER_PAGE, 0, reinterpret_cast<LPARAM>(page));
    EXPECT_EQ(scene.Item(3), TreeView_GetSelection(scene.Tree()));
    EXPECT_TRUE(scene.WaitForLog("2034 3 1"));
}

TEST_F(FeedTreePaneTest, DeletingTheLastChildClosesTheFolderAndTellsTheEngine) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tA\n"
        "node\t2\t1\tchannel\tB\trss_b\n"
        "node\t3\t1\tfolder\tC\n"
        "node\t4\t3\tchannel\tD\trss_d\n");
    EXPECT_EQ(L"A:1{B:2,C:1{D:2}}", scene.Dump());
    PaneScene::Script("send\t2031\t4\t0");
    EXPECT_EQ(L"A:1{B:2,C:0}", scene.Dump());
    EXPECT_TRUE(scene.WaitForLog("2027 3 0"));

    // A whole subtree goes, and its page names with it.
    PaneScene::Script("send\t2031\t1\t0");
    EXPECT_EQ(L"", scene.Dump());
    char page[] = "rss_b";
    SendMessageA(scene.PaneWindow(), WM_RSS_PARTNER_PAGE, 0, reinterpret_cast<LPARAM>(page));
    PaneScene::Script("node\t5\t0\tchannel\tE\trss_e");
    EXPECT_EQ(L"E:2", scene.Dump());
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_EQ(-1, LogIndex("2034 2 1"));
}

TEST_F(FeedTreePaneTest, ProgressNeverGoesBackAndEndsReadyOrFailed) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tC\trss_c\n");
    HTREEITEM channel = scene.Item(2);
    PaneScene::Script("send\t2034\t2\t3\nsend\t2034\t2\t2");
    EXPECT_EQ(3, scene.Progress(channel));
    EXPECT_EQ(6, scene.Image(channel));
    PaneScene::Script("send\t2034\t2\t11");
    EXPECT_EQ(0, scene.Progress(channel));
    EXPECT_EQ(2, scene.Image(channel));
    PaneScene::Script("send\t2034\t2\t-1");
    EXPECT_EQ(15, scene.Progress(channel));
    EXPECT_EQ(3, scene.Image(channel));
    // A new update after a failure starts again from its first report.
    PaneScene::Script("send\t2034\t2\t1");
    EXPECT_EQ(1, scene.Progress(channel));
    EXPECT_EQ(7, scene.Image(channel));
    PaneScene::Script("send\t2034\t2\t11");
    EXPECT_EQ(2, scene.Image(channel));

    // A folder keeps its own picture once an update ends.
    HTREEITEM folder = scene.Item(1);
    PaneScene::Script("send\t2034\t1\t5");
    EXPECT_EQ(5, scene.Image(folder));
    PaneScene::Script("send\t2034\t1\t11");
    EXPECT_EQ(1, scene.Image(folder));
}

// Draws the status bar's part into a white bitmap through the pane.
struct StatusPicture {
    explicit StatusPicture(PaneScene& scene) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, 200, 20);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        RECT all = {0, 0, 200, 20};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DRAWITEMSTRUCT draw = {};
        draw.hwndItem = scene.Pane().StatusWindow();
        draw.hDC = dc;
        draw.rcItem = all;
        SendMessageA(scene.PaneWindow(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    }
    ~StatusPicture() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    bool Green(int x) { return GetPixel(dc, x, 18) == RGB(0x4E, 0xDA, 0x50); }
    bool Blank() {
        for (int x = 0; x < 200; x += 3) {
            for (int y = 0; y < 20; y += 3) {
                if (GetPixel(dc, x, y) != RGB(255, 255, 255)) return false;
            }
        }
        return true;
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

TEST_F(FeedTreePaneTest, StatusBarShowsTheSelectedItemsUpdate) {
    PaneScene scene;
    PaneScene::Script("node\t1\t0\tchannel\tC\trss_c");
    EXPECT_TRUE(StatusPicture(scene).Blank());

    TreeView_SelectItem(scene.Tree(), scene.Item(1));
    PaneScene::Script("send\t2034\t1\t10");
    StatusPicture full(scene);
    EXPECT_TRUE(full.Green(1));
    EXPECT_TRUE(full.Green(198));
    PaneScene::Script("send\t2034\t1\t11\nsend\t2034\t1\t5");
    StatusPicture half(scene);
    EXPECT_TRUE(half.Green(60));
    EXPECT_FALSE(half.Green(140));
    PaneScene::Script("send\t2034\t1\t-1");
    StatusPicture failed(scene);
    EXPECT_FALSE(failed.Green(60));
    EXPECT_FALSE(failed.Blank());

    EXPECT_EQ(static_cast<UINT>(IDS_READY), UpdateStatusTextId(0));
    EXPECT_EQ(static_cast<UINT>(IDS_UPDATING), UpdateStatusTextId(1));
    EXPECT_EQ(static_cast<UINT>(IDS_UPDATING), UpdateStatusTextId(10));
    EXPECT_EQ(static_cast<UINT>(IDS_FAILED), UpdateStatusTextId(15));
}

TEST_F(FeedTreePaneTest, SortPutsFoldersBeforeChannelsAndOrdersTheRestByText) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tP\n"
        "node\t3\t1\tchannel\tC\trss_c\n"
        "node\t2\t1\tchannel\tB\trss_b\n"
        "node\t4\t1\tfolder\tZ\n"
        "node\t7\t1\tchannel\tAA\trss_aa\n"
        "node\t5\t1\tfolder\tY\n"
        "node\t6\t1\tchannel\tA\trss_a\n"
        "send\t2034\t6\t-1\n"
        "send\t2034\t7\t4\n"
        "send\t2028\t1\t0\n");
    EXPECT_EQ(L"P:1{A:3#15,AA:6#4,Y:0,Z:0,B:2,C:2}", scene.Dump());
}

TEST_F(FeedTreePaneTest, UnreadMarksAndTheQueriesTheyCause) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tA\n"
        "node\t2\t1\tfolder\tB\n"
        "node\t3\t2\tchannel\tC\trss_c\n"
        "node\t4\t0\tchannel\tD\trss_d\n"
        "send\t2039\t3\t0\n"
        "send\t2039\t3\t0\n");
    EXPECT_EQ(L"A:1{B:1{C:2*}},D:2", scene.Dump());
    PaneScene::Script("send\t2039\t3\t1");
    EXPECT_EQ(L"A:1{B:1{C:2}},D:2", scene.Dump());
    // Read of an item that is not bold asks nothing.
    PaneScene::Script("send\t2038\t3\t0");
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_EQ(-1, LogIndex("2039 2 " + scene.PaneId()));

    // The engine still has unread items below A: its answers make the
    // ancestors bold again, nearest first.
    PaneScene::Script("unread\t3\t1\nsend\t2039\t3\t0\nsend\t2038\t3\t0");
    EXPECT_TRUE(scene.WaitForLog("2039 1 " + scene.PaneId()));
    EXPECT_LT(LogIndex("2039 2 " + scene.PaneId()), LogIndex("2039 1 " + scene.PaneId()));
    PumpUntil([&] { return scene.Dump() == L"A:1*{B:1*{C:2}},D:2"; });
    EXPECT_EQ(L"A:1*{B:1*{C:2}},D:2", scene.Dump());

    // Every node, children before their parent, siblings in order.
    DeleteFileW(PaneScene::Folder().File(L"engine.log").c_str());
    PaneScene::Script("send\t2036\t0\t0");
    EXPECT_TRUE(scene.WaitForLog("2039 4 " + scene.PaneId()));
    std::vector<std::string> expected;
    for (int node : {3, 2, 1, 4})
        expected.push_back("2039 " + std::to_string(node) + " " + scene.PaneId());
    EXPECT_EQ(expected, PaneScene::Log());
}

// ---- opening channels

TEST_F(FeedTreePaneTest, ClickAsksForAMissingPageAndShowsItWhenWritten) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\t新闻\n"
        "node\t2\t1\tchannel\t国内 <要闻>\trss_open2\n"
        "node\t3\t0\tchannel\t博客\trss_open3\n");
    DeleteFileW(PageFile(L"rss_open2").c_str());
    scene.Click(scene.Item(2));
    EXPECT_EQ(scene.Item(2), TreeView_GetSelection(scene.Tree()));
    EXPECT_TRUE(scene.WaitForLog("2038 2 0"));
    EXPECT_TRUE(scene.WaitForLog("2034 2 0"));
    // The engine writes the page and reports the update finished.
    ASSERT_TRUE(WaitForNavigations(scene, 2));
    std::wstring expected = PageFile(L"rss_open2");
    ASSERT_EQ(2u, scene.Browser()->Navigations().size());
    EXPECT_EQ(expected, scene.Browser()->Navigations()[0].url);
    EXPECT_EQ(expected, scene.Browser()->Navigations()[1].url);
    EXPECT_EQ(0, scene.Browser()->Refreshes());
    std::string page = ReadFileText(expected);
    EXPECT_NE(std::string::npos, page.find("href=\"rss.css\"")) << page;
    EXPECT_NE(std::string::npos, page.find("&lt;要闻&gt;")) << page;
    EXPECT_NE(std::string::npos, page.find("&lt;第二期&gt; &amp; 回顾")) << page;
    EXPECT_EQ(page, ReadFileText(PaneScene::Folder().File(L"rss_open2")));

    // The page exists now: a click shows it at once.
    scene.Browser()->ClearNavigations();
    scene.Click(scene.Item(2));
    EXPECT_EQ(2u, scene.Browser()->Navigations().size());

    // Beside the label nothing happens.
    scene.Browser()->ClearNavigations();
    TreeView_SelectItem(scene.Tree(), nullptr);
    POINT beside = scene.LabelPoint(scene.Item(3));
    SetCursorPos(beside.x + 150, beside.y);
    scene.Notify(NM_CLICK);
    EXPECT_EQ(nullptr, TreeView_GetSelection(scene.Tree()));

    // Enter opens the selected channel the same way.
    TreeView_SelectItem(scene.Tree(), scene.Item(3));
    scene.Notify(NM_RETURN);
    EXPECT_TRUE(scene.WaitForLog("2038 3 0"));
    ASSERT_TRUE(WaitForNavigations(scene, 2));
    EXPECT_EQ(PageFile(L"rss_open3"), scene.Browser()->Navigations()[0].url);
}

TEST_F(FeedTreePaneTest, DoubleClickUpdatesALeafAndLeavesFoldersToTheTree) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tC\trss_dbl\n");
    TreeView_SelectItem(scene.Tree(), scene.Item(1));
    scene.Notify(NM_DBLCLK);
    TreeView_SelectItem(scene.Tree(), scene.Item(2));
    scene.Notify(NM_DBLCLK, scene.Pane().ToolbarWindow());
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_EQ(-1, LogIndex("2034 1 1"));
    EXPECT_EQ(-1, LogIndex("2034 2 1"));

    scene.Notify(NM_DBLCLK);
    EXPECT_TRUE(scene.WaitForLog("2034 2 1"));
    ASSERT_TRUE(WaitForNavigations(scene, 2));
    EXPECT_EQ(PageFile(L"rss_dbl"), scene.Browser()->Navigations()[0].url);
}

TEST_F(FeedTreePaneTest, PageIsShownOnlyForThePendingItemAndNeverOverAWebPage) {
    PaneScene scene;
    PaneScene::Script("node\t1\t0\tchannel\tC\trss_pending");
    WriteText(PageFile(L"rss_pending"), "<html/>");
    // Selected but never asked for: a finished update shows nothing.
    TreeView_SelectItem(scene.Tree(), scene.Item(1));
    PaneScene::Script("send\t2034\t1\t11");
    EXPECT_TRUE(scene.Browser()->Navigations().empty());

    // Asked for while the browser shows a web page: the page stays.
    scene.Browser()->SetLocation(L"http://example.test/", L"web");
    scene.Notify(NM_DBLCLK);
    EXPECT_TRUE(scene.WaitForLog("2034 1 1"));
    // The engine has written the page and said so.
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_TRUE(scene.Browser()->Navigations().empty());

    scene.Browser()->SetLocation(L"file:///C:/page.html", L"file");
    PaneScene::Script("send\t2034\t1\t11");
    EXPECT_EQ(2u, scene.Browser()->Navigations().size());
    // Shown once: the next report leaves the browser alone.
    PaneScene::Script("send\t2034\t1\t11");
    EXPECT_EQ(2u, scene.Browser()->Navigations().size());
}

TEST_F(FeedTreePaneTest, PartnerPageRequestSelectsTheChannelAndAsksForAnUpdate) {
    PaneScene scene;
    std::string longName(32, 'p');
    PaneScene::Script(
        "node\t1\t0\tchannel\tA\trss_pa\n"
        "node\t2\t0\tchannel\tB\t" +
        longName + "\n");
    char unknown[] = "rss_none";
    EXPECT_EQ(0, SendMessageA(scene.PaneWindow(), WM_RSS_PARTNER_PAGE, 0,
                              reinterpret_cast<LPARAM>(unknown)));
    EXPECT_EQ(nullptr, TreeView_GetSelection(scene.Tree()));

    // 32 bytes without a terminator, followed by more text.
    std::string unterminated = longName + "tail";
    SendMessageA(scene.PaneWindow(), WM_RSS_PARTNER_PAGE, 0,
                 reinterpret_cast<LPARAM>(unterminated.data()));
    EXPECT_EQ(scene.Item(2), TreeView_GetSelection(scene.Tree()));
    EXPECT_TRUE(scene.WaitForLog("2034 2 1"));
    ASSERT_TRUE(WaitForNavigations(scene, 2));
    EXPECT_EQ(PageFile(std::wstring(longName.begin(), longName.end())),
              scene.Browser()->Navigations()[0].url);

    // A partner on another thread of the browser process, such as the frame's.
    char first[] = "rss_pa";
    std::atomic<bool> sent{false};
    std::thread partner([&] {
        SendMessageA(scene.PaneWindow(), WM_RSS_PARTNER_PAGE, 0, reinterpret_cast<LPARAM>(first));
        sent = true;
    });
    while (!sent) PumpMessages(20);
    partner.join();
    EXPECT_EQ(scene.Item(1), TreeView_GetSelection(scene.Tree()));
    EXPECT_TRUE(scene.WaitForLog("2034 1 1"));

    // Another process's pointers lead nowhere here: nothing happens, nothing breaks.
    int childFailed = -1;
    std::atomic<bool> done{false};
    std::thread other([&] {
        childFailed =
            RunChildRole(L"send-foreign-partner-pages",
                         std::to_wstring(reinterpret_cast<ULONG_PTR>(scene.PaneWindow())));
        done = true;
    });
    while (!done) PumpMessages(20);
    other.join();
    EXPECT_EQ(0, childFailed);
    EXPECT_EQ(scene.Item(1), TreeView_GetSelection(scene.Tree()));
}

// Child: sends the pane page requests with pointers of this process.
int SendForeignPartnerPages(const std::wstring& argument) {
    HWND pane =
        reinterpret_cast<HWND>(static_cast<ULONG_PTR>(_wcstoui64(argument.c_str(), nullptr, 10)));
    char name[] = "rss_pa";
    const LPARAM pointers[] = {reinterpret_cast<LPARAM>(name), 0x10, static_cast<LPARAM>(-4096)};
    int failed = 0;
    for (LPARAM pointer : pointers) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(pane, WM_RSS_PARTNER_PAGE, 0, pointer, SMTO_NORMAL, kPatienceMs,
                                 &result)) {
            ++failed;
        }
    }
    return failed;
}
CHILD_ROLE(L"send-foreign-partner-pages", SendForeignPartnerPages);

// Page names come from whatever Feed.dll runs; only plain file names in the
// temporary folder are pages. Others give no page to show or harvest: the
// node counts as a folder.
TEST_F(FeedTreePaneTest, PageNamesThatLeaveTheTemporaryFolderNameNoPage) {
    UrlHistoryRecorder recorder;
    ASSERT_TRUE(recorder.Registered());
    UrlHistoryRecorder::Clear();
    PaneScene scene;
    // A page and an item list beside the temporary folder, where "..\" leads.
    std::string leaf = "outside_" + std::to_string(GetCurrentProcessId());
    std::wstring outside =
        PaneScene::Folder().Path() + L"\\..\\" + std::wstring(leaf.begin(), leaf.end());
    WriteText(outside + L".html", "<html><body>outside</body></html>");
    WriteText(outside,
              "<html><div id=\"item\"><div id=\"title\"><a href=\"http://x/outside\">t</a>"
              "</div></div></html>");
    wchar_t full[MAX_PATH];
    GetFullPathNameW(outside.c_str(), MAX_PATH, full, nullptr);
    std::string absolute(full, full + wcslen(full));
    PaneScene::Script("node\t1\t0\tchannel\tUp\t..\\" + leaf +
                      "\n"
                      "node\t2\t0\tchannel\tSlash\t../" +
                      leaf +
                      "\n"
                      "node\t3\t0\tchannel\tAbsolute\t" +
                      absolute +
                      "\n"
                      "node\t4\t0\tchannel\tDrive\tC:" +
                      leaf +
                      "\n"
                      "node\t5\t0\tchannel\tDots\t..\n");
    for (DWORD node = 1; node <= 5; ++node) {
        scene.Click(scene.Item(node));
        scene.Command(ID_MARK_READ);
    }
    scene.Command(ID_UPDATE_ALL);
    EXPECT_TRUE(scene.WaitForLog("2034 0 1073741824"));
    EXPECT_TRUE(scene.Browser()->Navigations().empty());
    EXPECT_TRUE(UrlHistoryRecorder::RecordedUrls().empty());
    for (const std::string& line : PaneScene::Log()) {
        EXPECT_NE(0u, line.find("2038")) << line;
        EXPECT_EQ(std::string::npos, line.find("2034 1 ")) << line;
    }
    DeleteFileW((outside + L".html").c_str());
    DeleteFileW(outside.c_str());
}

// A value beyond the sheets' commands is applied as the first sheet when a
// pane starts: 11000 + 230 would set the update interval, 11000 + 150 go to
// the browser's band host.
TEST_F(FeedTreePaneTest, StoredSheetBeyondTheSheetsStartsAsTheFirst) {
    for (DWORD stored : {230u, 150u}) {
        {
            SettingsKey settings;
            settings.WriteDword(kStyleSheetValue, stored);
            settings.WriteDword(kUpdateIntervalValue, 10);
        }
        { PaneScene scene; }
        SettingsKey settings;
        EXPECT_EQ(0u, settings.ReadDword(kStyleSheetValue, 99)) << stored;
        EXPECT_EQ(10u, settings.ReadDword(kUpdateIntervalValue, 99)) << stored;
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
}

// ---- commands

TEST_F(FeedTreePaneTest, CommandsWithoutSelectionAskForNodeZero) {
    PaneScene scene;
    for (UINT id : {ID_NEW_FOLDER, ID_EXPORT, ID_PROPERTIES, ID_UPDATE, ID_UPDATE_ALL,
                    ID_ADD_CHANNEL, ID_DELETE, ID_MARK_READ, ID_MORE_CHANNELS}) {
        scene.Command(id);
    }
    EXPECT_TRUE(scene.WaitForLog("2025 0 0"));
    EXPECT_TRUE(scene.WaitForLog("2030 0 0"));
    EXPECT_TRUE(scene.WaitForLog("2029 0 0"));
    // An engine file this program's folder does not hold counts as old:
    // the request names the selection.
    EXPECT_TRUE(scene.WaitForLog("2026 0 0"));
    int updates = 0;
    for (const std::string& line : PaneScene::Log()) updates += line == "2034 0 1073741824";
    EXPECT_EQ(2, updates);
    for (const std::string& line : PaneScene::Log()) {
        EXPECT_NE(0u, line.find("2031")) << line;
        EXPECT_NE(0u, line.find("2038")) << line;
    }
    ASSERT_EQ(1u, scene.Browser()->Navigations().size());
    EXPECT_EQ(kFeedDirectoryUrl, scene.Browser()->Navigations()[0].url);
}

TEST_F(FeedTreePaneTest, NewFolderAndAddChannelComeBackFromTheEngine) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tC\trss_c\n");
    TreeView_SelectItem(scene.Tree(), scene.Item(2));
    scene.Command(ID_NEW_FOLDER);
    EXPECT_TRUE(scene.WaitForLog("2025 2 0"));
    // The engine put the folder beside the channel and sorted it first.
    PumpUntil([&] { return scene.Dump() == L"F:1{新建目录:0,C:2}"; });
    EXPECT_EQ(L"F:1{新建目录:0,C:2}", scene.Dump());
}

TEST_F(FeedTreePaneTest, MarkAsReadHarvestsEveryChannelBelowChildrenFirst) {
    UrlHistoryRecorder recorder;
    ASSERT_TRUE(recorder.Registered());
    UrlHistoryRecorder::Clear();
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tA\trss_h2\n"
        "node\t3\t1\tchannel\tB\trss_h3\n"
        "node\t4\t1\tfolder\tG\n"
        "node\t5\t4\tchannel\tC\trss_h5\n");
    auto item = [](const std::string& link) {
        return "<div id=\"item\"><div id=\"title\"><a href=\"" + link + "\">t</a></div></div>";
    };
    WriteText(PaneScene::Folder().File(L"rss_h2"),
              "<html><body>" + item("http://x/a") + item("") + item("http://x/c") +
                  "<div id=\"item\"><a href=\"http://x/not\">t</a></div></body></html>");
    WriteText(PaneScene::Folder().File(L"rss_h5"), "<html>" + item("http://x/e") + "</html>");
    DeleteFileW(PaneScene::Folder().File(L"rss_h3").c_str());

    TreeView_SelectItem(scene.Tree(), scene.Item(1));
    scene.Command(ID_MARK_READ);
    EXPECT_EQ((std::vector<std::wstring>{L"http://x/a", L"http://x/c", L"http://x/e"}),
              UrlHistoryRecorder::RecordedUrls());
    EXPECT_TRUE(scene.WaitForLog("2038 5 0"));
    int a = LogIndex("2038 2 0"), b = LogIndex("2038 3 0"), c = LogIndex("2038 5 0");
    EXPECT_TRUE(a >= 0 && a < b && b < c) << a << " " << b << " " << c;
    EXPECT_EQ(-1, LogIndex("2038 1 0"));
    EXPECT_TRUE(scene.Browser()->Navigations().empty());

    // A channel marked read is shown, asking for its page first.
    TreeView_SelectItem(scene.Tree(), scene.Item(3));
    scene.Command(ID_MARK_READ);
    EXPECT_TRUE(scene.WaitForLog("2034 3 0"));
    EXPECT_TRUE(WaitForNavigations(scene, 2));
}

// ---- context menu

// Looks at the context menu while it is tracked, then closes it with keys.
struct MenuLook {
    static MenuLook& Current() {
        static MenuLook look;
        return look;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        HWND menuWindow = OwnMenuWindow();
        if (!menuWindow) return;
        KillTimer(nullptr, id);
        MenuLook& look = Current();
        look.seen = true;
        GetWindowRect(menuWindow, &look.rect);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        look.count = GetMenuItemCount(menu);
        look.deleteState = GetMenuState(menu, ID_DELETE, MF_BYCOMMAND);
        look.propertiesState = GetMenuState(menu, ID_PROPERTIES, MF_BYCOMMAND);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, ID_UPDATE, FALSE, &info);
        look.ownerDrawn = (info.fType & MFT_OWNERDRAW) != 0;
        for (WPARAM key : look.keys) {
            PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
            PostMessageA(menuWindow, WM_KEYUP, key, 0);
        }
    }
    void Arm(std::vector<WPARAM> closeWith) {
        *this = MenuLook();
        keys = closeWith;
        SetTimer(nullptr, 0, 50, OnTimer);
    }
    bool seen = false;
    RECT rect = {};
    int count = 0;
    UINT deleteState = 0;
    UINT propertiesState = 0;
    bool ownerDrawn = false;
    std::vector<WPARAM> keys;
};

TEST_F(FeedTreePaneTest, ContextMenuFromTheToolbarAndOverAnItem) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tC\trss_c\n");
    TreeView_SelectItem(scene.Tree(), scene.Item(2));

    // On the toolbar no item lies under the cursor: the selection goes, and
    // delete and properties are greyed.
    HWND toolbar = scene.Pane().ToolbarWindow();
    RECT toolbarRect;
    GetWindowRect(toolbar, &toolbarRect);
    SetCursorPos(toolbarRect.left + 5, toolbarRect.top + 5);
    MenuLook::Current().Arm({VK_ESCAPE});
    SendMessageA(scene.PaneWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(toolbar),
                 MAKELPARAM(toolbarRect.left + 5, toolbarRect.top + 5));
    MenuLook look = MenuLook::Current();
    ASSERT_TRUE(look.seen);
    EXPECT_EQ(nullptr, TreeView_GetSelection(scene.Tree()));
    EXPECT_EQ(12, look.count);
    EXPECT_TRUE(look.deleteState & MF_GRAYED);
    EXPECT_TRUE(look.propertiesState & MF_GRAYED);
    EXPECT_TRUE(look.ownerDrawn);
    EXPECT_EQ(toolbarRect.left + 5, look.rect.left);

    // Over an item: it is selected, and the chosen command reaches the
    // engine with its node.
    POINT at = scene.LabelPoint(scene.Item(2));
    SetCursorPos(at.x, at.y);
    MenuLook::Current().Arm({VK_UP, VK_RETURN});
    SendMessageA(scene.PaneWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(scene.Tree()), 0);
    look = MenuLook::Current();
    ASSERT_TRUE(look.seen);
    EXPECT_EQ(scene.Item(2), TreeView_GetSelection(scene.Tree()));
    EXPECT_FALSE(look.deleteState & MF_GRAYED);
    EXPECT_FALSE(look.propertiesState & MF_GRAYED);
    EXPECT_TRUE(scene.WaitForLog("2029 2 0"));
    // The engine answers with its properties dialog; the user closes it.
    HWND properties = nullptr;
    // Shown means started: a cancel sent before that would find no dialog
    // behind the window and leave it open.
    PumpUntil([&] {
        properties = FindWindowW(L"#32770", kPropertiesCaption);
        return properties && IsWindowVisible(properties);
    });
    ASSERT_TRUE(properties);
    SendMessageW(properties, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(properties); }));
}

// ---- drag and drop

class TreeDrag {
public:
    TreeDrag(PaneScene& scene, HTREEITEM item) : scene_(scene) {
        NMTREEVIEWA begin = {};
        begin.hdr = {scene.Tree(), 0, TVN_BEGINDRAGA};
        begin.itemNew.hItem = item;
        begin.ptDrag = {5, 5};
        SendMessageA(scene.PaneWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&begin));
    }
    // Moves over a point; true when the drop there is refused.
    bool Over(POINT screen) {
        SetCursorPos(screen.x, screen.y);
        SendMessageA(scene_.PaneWindow(), WM_MOUSEMOVE, 0, 0);
        return GetCursor() == LoadCursorW(nullptr, IDC_NO);
    }
    void Drop() { SendMessageA(scene_.PaneWindow(), WM_LBUTTONUP, 0, 0); }

private:
    PaneScene& scene_;
};

// The item that shows the drop mark, null when none does.
HTREEITEM MarkedIn(PaneScene& scene, HTREEITEM item) {
    for (; item; item = TreeView_GetNextSibling(scene.Tree(), item)) {
        if (scene.State(item, TVIS_DROPHILITED)) return item;
        if (HTREEITEM below = MarkedIn(scene, TreeView_GetChild(scene.Tree(), item))) return below;
    }
    return nullptr;
}

HTREEITEM DropHilite(PaneScene& scene) {
    return MarkedIn(scene, TreeView_GetRoot(scene.Tree()));
}

TEST_F(FeedTreePaneTest, InTreeDragRefusesHomeDropsAndAsksTheEngineToMove) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tA\n"
        "node\t2\t1\tchannel\tB\trss_b\n"
        "node\t3\t1\tchannel\tC\trss_c\n"
        "node\t4\t1\tfolder\tD\n"
        "node\t5\t4\tchannel\tE\trss_e\n"
        "node\t6\t0\tchannel\tF\trss_f\n");
    POINT empty = scene.TreePoint(20, 300);
    {
        TreeDrag drag(scene, scene.Item(2));
        EXPECT_TRUE(drag.Over(scene.LabelPoint(scene.Item(2))));
        EXPECT_EQ(scene.Item(2), DropHilite(scene));
        EXPECT_TRUE(drag.Over(scene.LabelPoint(scene.Item(1))));
        EXPECT_TRUE(drag.Over(scene.LabelPoint(scene.Item(3))));
        drag.Drop();
        EXPECT_EQ(nullptr, DropHilite(scene));
    }
    {
        TreeDrag drag(scene, scene.Item(6));
        EXPECT_TRUE(drag.Over(empty));
        drag.Drop();
    }
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    for (const std::string& line : PaneScene::Log()) EXPECT_NE(0u, line.find("2032")) << line;

    {
        // A channel elsewhere stands for its folder.
        TreeDrag drag(scene, scene.Item(2));
        EXPECT_FALSE(drag.Over(scene.LabelPoint(scene.Item(5))));
        drag.Drop();
    }
    EXPECT_TRUE(scene.WaitForLog("2032 2 4"));
    PumpUntil([&] { return scene.Dump() == L"A:1{C:2,D:1{B:2,E:2}},F:2"; });
    EXPECT_EQ(L"A:1{C:2,D:1{B:2,E:2}},F:2", scene.Dump());
    {
        TreeDrag drag(scene, scene.Item(3));
        EXPECT_FALSE(drag.Over(empty));
        drag.Drop();
    }
    EXPECT_TRUE(scene.WaitForLog("2032 3 0"));
}

// A move made in another browser window arrives as a delete and an insert
// while this pane drags: a drag whose item or target went moves nothing.
TEST_F(FeedTreePaneTest, DragMovesNothingOnceTheEngineTookItsItemsAway) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tA\n"
        "node\t2\t1\tchannel\tB\trss_b\n"
        "node\t3\t0\tfolder\tC\n"
        "node\t4\t0\tchannel\tD\trss_d\n");
    {
        TreeDrag drag(scene, scene.Item(2));
        EXPECT_FALSE(drag.Over(scene.LabelPoint(scene.Item(3))));
        PaneScene::Script("send\t2031\t2\t0\nnode\t5\t3\tchannel\tE\trss_e");
        drag.Drop();
    }
    {
        TreeDrag drag(scene, scene.Item(4));
        EXPECT_FALSE(drag.Over(scene.LabelPoint(scene.Item(3))));
        PaneScene::Script("send\t2031\t3\t0\nnode\t6\t0\tfolder\tG");
        drag.Drop();
    }
    scene.Command(ID_UPDATE_ALL);
    EXPECT_TRUE(scene.WaitForLog("2034 0 1073741824"));
    for (const std::string& line : PaneScene::Log()) EXPECT_NE(0u, line.find("2032")) << line;
}

// Enough channels to scroll; the first visible item tells the position.
void FillToScroll(PaneScene& scene) {
    std::string script;
    for (int node = 1; node <= 60; ++node) {
        script += "node\t" + std::to_string(node) + "\t0\tchannel\tC" + std::to_string(node) +
                  "\trss_s" + std::to_string(node) + "\n";
    }
    PaneScene::Script(script);
}

HTREEITEM FirstVisible(PaneScene& scene) {
    return TreeView_GetFirstVisible(scene.Tree());
}

TEST_F(FeedTreePaneTest, DragsNearTheBottomEdgeScrollUntilTheyLeaveIt) {
    PaneScene scene;
    FillToScroll(scene);
    RECT client;
    GetClientRect(scene.Tree(), &client);
    HTREEITEM top = FirstVisible(scene);
    // Resting near the edge the tree scrolls by itself; elsewhere a tick of
    // the pane's timer (the one that scrolls) moves nothing.
    auto tick = [&] { SendMessageA(scene.PaneWindow(), WM_TIMER, TreeDragDrop::kTimer, 0); };
    {
        TreeDrag drag(scene, scene.Item(1));
        drag.Over(scene.TreePoint(20, client.bottom - 3));
        EXPECT_TRUE(PumpUntil([&] { return FirstVisible(scene) != top; }));
        drag.Over(scene.TreePoint(20, client.bottom / 2));
        HTREEITEM stopped = FirstVisible(scene);
        tick();
        EXPECT_EQ(stopped, FirstVisible(scene));
        drag.Drop();
    }

    // From outside the band, only while the drag is announced. From the top:
    // on a slow machine the drag above may have scrolled to the end.
    SendMessageA(scene.Tree(), WM_VSCROLL, SB_TOP, 0);
    top = FirstVisible(scene);
    LPARAM bottom = MAKELPARAM(scene.TreePoint(20, client.bottom - 3).x,
                               scene.TreePoint(20, client.bottom - 3).y);
    SendMessageA(scene.PaneWindow(), WM_RSS_DRAG_SCROLL, 0, bottom);
    tick();
    EXPECT_EQ(top, FirstVisible(scene));
    SendMessageA(scene.PaneWindow(), WM_RSS_DRAG_ENTER, 0, bottom);
    SendMessageA(scene.PaneWindow(), WM_RSS_DROP, 0, bottom);
    EXPECT_TRUE(DropHilite(scene));
    EXPECT_TRUE(PumpUntil([&] { return FirstVisible(scene) != top; }));
    SendMessageA(scene.PaneWindow(), WM_RSS_DRAG_LEAVE, 0, 0);
    EXPECT_EQ(nullptr, DropHilite(scene));
    HTREEITEM stopped = FirstVisible(scene);
    tick();
    EXPECT_EQ(stopped, FirstVisible(scene));
}

LPARAM PointParam(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

TEST_F(FeedTreePaneTest, TextDroppedFromOutsideGoesToTheEngineForTheItemUnderIt) {
    PaneScene scene;
    PaneScene::Script(
        "node\t1\t0\tfolder\tF\n"
        "node\t2\t1\tchannel\tC\trss_c\n");
    HWND pane = scene.PaneWindow();
    SendMessageA(pane, WM_RSS_DRAG_ENTER, 0, PointParam(scene.LabelPoint(scene.Item(1))));
    SendMessageA(pane, WM_RSS_DROP, 0, PointParam(scene.LabelPoint(scene.Item(1))));
    EXPECT_EQ(scene.Item(1), DropHilite(scene));
    char link[] = "http://x.test/feed.xml";
    SendMessageA(pane, WM_RSS_DROP, reinterpret_cast<WPARAM>(link),
                 PointParam(scene.LabelPoint(scene.Item(2))));
    EXPECT_EQ(nullptr, DropHilite(scene));
    EXPECT_EQ(scene.Item(2), TreeView_GetSelection(scene.Tree()));
    std::string hex = "00";
    for (const char* at = link; *at; ++at) {
        char byte[3];
        wsprintfA(byte, "%02x", static_cast<unsigned char>(*at));
        hex += byte;
    }
    EXPECT_TRUE(scene.Logged("74 " + scene.PaneId() + " 2 24 " + hex + "00"));
    // The engine asks the user to subscribe it; cancelled, nothing changes.
    HWND dialog = nullptr;
    PumpUntil([&] {
        dialog = FindWindowW(L"#32770", kAddChannelCaption);
        return dialog && IsWindowVisible(dialog);
    });
    ASSERT_TRUE(dialog);
    wchar_t prefilled[64] = L"";
    GetDlgItemTextW(dialog, IDC_ADDRESS, prefilled, 64);
    EXPECT_STREQ(L"http://x.test/feed.xml", prefilled);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(PaneScene::EngineCaughtUp());
    EXPECT_EQ(L"F:1{C:2}", scene.Dump());

    char shortText[] = "abc";
    SendMessageA(pane, WM_RSS_DRAG_ENTER, 0, PointParam(scene.TreePoint(20, 300)));
    SendMessageA(pane, WM_RSS_DROP, reinterpret_cast<WPARAM>(shortText),
                 PointParam(scene.TreePoint(20, 300)));
    EXPECT_TRUE(scene.Logged("74 " + scene.PaneId() + " 0 5 0061626300"));
}

}  // namespace
