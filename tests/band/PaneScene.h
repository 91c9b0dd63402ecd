#pragma once
// A real band window for the pane tests: the frame and its tree pane inside
// a shown host window, the browser stand-in, and the stand-in engine in its
// own process, steered by scripts. The tree is read back through tree-view
// messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "browser/WebBrowserStandin.h"
#include "testengine/EngineControl.h"
#include "server/EngineLink.h"
#include "support/BandTestSupport.h"
#include "support/TestPaths.h"
#include "ui/BandSplitterWindow.h"

class PaneScene {
public:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 420;

    // Once per test program: a temporary folder (TMP and TEMP, where the
    // engine writes pages), the engine's request log and a running engine.
    static void StartEngine() {
        folder_ = new TempFolder;
        SetEnvironmentVariableW(L"TMP", folder_->Path().c_str());
        SetEnvironmentVariableW(L"TEMP", folder_->Path().c_str());
        SetEnvironmentVariableW(L"FEED_ENGINE_LOG", folder_->File(L"engine.log").c_str());
        // The engine keeps its subscriptions beside the pages, not in the
        // user's application data.
        SetEnvironmentVariableW(L"FEED_ENGINE_DATA", folder_->Path().c_str());
        CloseEngines();
        std::wstring band = BuildPath("band/rssband.dll");
        {
            // A slow engine start shows the band's error box: answer it and
            // keep waiting for the window.
            MessageBoxWatcher boxes;
            EngineLink link;
            link.FindOrStart(std::string(band.begin(), band.end()));
            WaitForWindowClass("RSS_Feed", 20000);
        }
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PaneSceneHost";
        RegisterClassA(&windowClass);
        host_ = CreateWindowExA(0, "PaneSceneHost", "", WS_POPUP | WS_VISIBLE, 100, 100, kWidth,
                                kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    static void StopEngine() {
        CloseEngines();
        DestroyWindow(host_);
        SetEnvironmentVariableW(L"FEED_ENGINE_LOG", nullptr);
        SetEnvironmentVariableW(L"FEED_ENGINE_DATA", nullptr);
        delete folder_;
    }
    static TempFolder& Folder() { return *folder_; }
    static HWND Host() { return host_; }

    // A pane on an empty tree, or on the tree the engine holds.
    explicit PaneScene(bool emptyTree = true) {
        if (emptyTree) Script("reset");
        DeleteFileW(folder_->File(L"engine.log").c_str());
        browser_ = WebBrowserStandin::Create();
        frame_ = new BandSplitterWindow(browser_);
        RECT rect = {0, 0, kWidth, kHeight};
        frame_->Create(host_, rect, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
        PumpMessages(50);
    }
    ~PaneScene() {
        frame_->Destroy();
        delete frame_;
        browser_->Release();
    }

    FeedTreePane& Pane() { return frame_->Pane(); }
    HWND PaneWindow() { return frame_->PaneWindow(); }
    HWND Frame() { return frame_->Handle(); }
    HWND Tree() { return Pane().TreeWindow(); }
    WebBrowserStandin* Browser() { return browser_; }

    // Runs an engine script; each line must be understood.
    static void Script(const std::string& script) {
        int lines = 0;
        size_t start = 0;
        for (size_t end; start < script.size(); start = end + 1) {
            end = script.find('\n', start);
            if (end == std::string::npos) end = script.size();
            if (end > start) ++lines;
        }
        ASSERT_EQ(lines, SendEngineScript(script)) << script;
    }

    // ---- the engine's request log
    static std::vector<std::string> Log() { return ReadLines(folder_->File(L"engine.log")); }
    static bool WaitForLog(const std::string& line, DWORD ms = 3000) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
            for (const std::string& seen : Log()) {
                if (seen == line) return true;
            }
            PumpMessages(20);
        }
        return false;
    }
    static bool Logged(const std::string& line) {
        for (const std::string& seen : Log()) {
            if (seen == line) return true;
        }
        return false;
    }
    std::string PaneId() { return std::to_string(reinterpret_cast<ULONG_PTR>(PaneWindow())); }

    // ---- the tree
    HTREEITEM Item(DWORD node) { return FindItem(TreeView_GetRoot(Tree()), node); }
    std::wstring Text(HTREEITEM item) {
        wchar_t text[260] = L"";
        TVITEMW query = {};
        query.mask = TVIF_HANDLE | TVIF_TEXT;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = 260;
        SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        return text;
    }
    int Image(HTREEITEM item) {
        TVITEMW query = {};
        query.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        query.hItem = item;
        SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        EXPECT_EQ(query.iImage, query.iSelectedImage);
        return query.iImage;
    }
    UINT State(HTREEITEM item, UINT mask) {
        return static_cast<UINT>(
            SendMessageW(Tree(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
    }
    int Progress(HTREEITEM item) { return State(item, TVIS_STATEIMAGEMASK) >> 12; }
    bool Bold(HTREEITEM item) { return State(item, TVIS_BOLD) != 0; }

    // "text:image" per item, children in braces, "*" for bold, "#p" for a
    // progress, siblings separated by commas.
    std::wstring Dump() { return DumpFrom(TreeView_GetRoot(Tree())); }

    // Where an item's label lies on the screen.
    POINT LabelPoint(HTREEITEM item) {
        RECT rect = {};
        TreeView_GetItemRect(Tree(), item, &rect, TRUE);
        POINT point = {rect.left + 4, (rect.top + rect.bottom) / 2};
        ClientToScreen(Tree(), &point);
        return point;
    }
    POINT TreePoint(int x, int y) {
        POINT point = {x, y};
        ClientToScreen(Tree(), &point);
        return point;
    }
    void Notify(UINT code, HWND from = nullptr) {
        NMHDR header = {from ? from : Tree(), 0, code};
        SendMessageA(PaneWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }
    void Click(HTREEITEM item) {
        POINT at = LabelPoint(item);
        SetCursorPos(at.x, at.y);
        Notify(NM_CLICK);
    }
    void Command(UINT id) { SendMessageA(PaneWindow(), WM_COMMAND, id, 0); }

private:
    HTREEITEM FindItem(HTREEITEM item, DWORD node) {
        for (; item; item = TreeView_GetNextSibling(Tree(), item)) {
            if (NodeOfItem(Tree(), item) == node) return item;
            if (HTREEITEM found = FindItem(TreeView_GetChild(Tree(), item), node)) return found;
        }
        return nullptr;
    }
    std::wstring DumpFrom(HTREEITEM item) {
        std::wstring out;
        for (; item; item = TreeView_GetNextSibling(Tree(), item)) {
            if (!out.empty()) out += L",";
            out += Text(item) + L":" + std::to_wstring(Image(item));
            if (Bold(item)) out += L"*";
            if (Progress(item)) out += L"#" + std::to_wstring(Progress(item));
            HTREEITEM child = TreeView_GetChild(Tree(), item);
            if (child) out += L"{" + DumpFrom(child) + L"}";
        }
        return out;
    }

    static TempFolder* folder_;
    static HWND host_;
    WebBrowserStandin* browser_ = nullptr;
    BandSplitterWindow* frame_ = nullptr;
};

// A suite whose tests share one running engine and COM on the test thread.
class EngineSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        PaneScene::StartEngine();
    }
    static void TearDownTestSuite() {
        PaneScene::StopEngine();
        CoUninitialize();
    }
};

TempFolder* PaneScene::folder_ = nullptr;
HWND PaneScene::host_ = nullptr;
