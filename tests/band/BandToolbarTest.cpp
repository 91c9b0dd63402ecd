// The band's toolbar and its options button on a real pane, and the stored
// style sheet applied by a band created from rssband.dll itself, whose
// folder holds the shipped sheets.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <string>

#include "PaneScene.h"
#include "RssLib.h"
#include "browser/BandSite.h"
#include "res/resource.h"
#include "server/SettingsKey.h"
#include "ui/BandToolbar.h"

namespace {

class BandToolbarTest : public EngineSuite {
protected:
    void TearDown() override { EXPECT_TRUE(boxes_.Boxes().empty()); }

    MessageBoxWatcher boxes_;
};

int Index(HWND toolbar, UINT command) {
    return static_cast<int>(SendMessageA(toolbar, TB_COMMANDTOINDEX, command, 0));
}

TBBUTTON Button(HWND toolbar, int index) {
    TBBUTTON button = {};
    SendMessageA(toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
    return button;
}

int FontHeight(HWND toolbar) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(toolbar, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA logical = {};
    GetObjectA(font, sizeof logical, &logical);
    return abs(logical.lfHeight);
}

TEST_F(BandToolbarTest, ButtonsComeFromTheToolbarResource) {
    PaneScene scene;
    HWND toolbar = scene.Pane().ToolbarWindow();
    ASSERT_EQ(10, SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    const int commands[] = {ID_ADD_CHANNEL, 0, ID_NEW_FOLDER,    0,        ID_UPDATE, 0,
                            ID_OPTIONS,     0, ID_MORE_CHANNELS, ID_DELETE};
    int image = 0;
    for (int index = 0; index < 10; ++index) {
        TBBUTTON button = Button(toolbar, index);
        SCOPED_TRACE(index);
        if (commands[index] == 0) {
            EXPECT_TRUE(button.fsStyle & BTNS_SEP);
            EXPECT_EQ(8, button.iBitmap);
            continue;
        }
        EXPECT_EQ(commands[index], button.idCommand);
        EXPECT_EQ(image++, button.iBitmap);
        EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
        // Only the delete button, which lends its picture to the menu, hides.
        EXPECT_EQ(commands[index] == ID_DELETE, (button.fsState & TBSTATE_HIDDEN) != 0);
    }
    TBBUTTON options = Button(toolbar, Index(toolbar, ID_OPTIONS));
    EXPECT_EQ(BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN,
              options.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN));
    EXPECT_TRUE(SendMessageA(toolbar, TB_GETEXTENDEDSTYLE, 0, 0) & TBSTYLE_EX_DRAWDDARROWS);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    EXPECT_EQ(6, ImageList_GetImageCount(images));

    DWORD size = static_cast<DWORD>(SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_EQ(23, LOWORD(size));
    EXPECT_EQ(std::max(16, FontHeight(toolbar)) + 7, HIWORD(size));
}

TEST_F(BandToolbarTest, ButtonsGrowWithATallFont) {
    LOGFONTA saved = {};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof saved, &saved, 0));
    LOGFONTA tall = saved;
    tall.lfHeight = -26;
    SystemParametersInfoA(SPI_SETICONTITLELOGFONT, sizeof tall, &tall, 0);
    {
        PaneScene scene;
        HWND toolbar = scene.Pane().ToolbarWindow();
        int height = FontHeight(toolbar);
        DWORD size = static_cast<DWORD>(SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0));
        SystemParametersInfoA(SPI_SETICONTITLELOGFONT, sizeof saved, &saved, 0);
        ASSERT_GT(height, 16) << "the toolbar did not take the tall font";
        EXPECT_EQ(23, LOWORD(size));
        EXPECT_EQ(height + 7, HIWORD(size));
        // The tree starts below the taller toolbar.
        RECT toolbarRect, treeRect;
        GetWindowRect(toolbar, &toolbarRect);
        GetWindowRect(scene.Tree(), &treeRect);
        EXPECT_EQ(toolbarRect.bottom, treeRect.top);
        EXPECT_GE(toolbarRect.bottom - toolbarRect.top, height + 7);
    }
    SystemParametersInfoA(SPI_SETICONTITLELOGFONT, sizeof saved, &saved, 0);
}

std::wstring Tooltip(PaneScene& scene, UINT command) {
    NMTTDISPINFOA info = {};
    info.hdr.hwndFrom = scene.Pane().ToolbarWindow();
    info.hdr.idFrom = command;
    info.hdr.code = TTN_GETDISPINFOA;
    SendMessageA(scene.PaneWindow(), WM_NOTIFY, command, reinterpret_cast<LPARAM>(&info));
    wchar_t wide[80] = L"";
    MultiByteToWideChar(CP_ACP, 0, info.lpszText ? info.lpszText : "", -1, wide, 80);
    return wide;
}

TEST_F(BandToolbarTest, TooltipsComeFromTheStringTableByCommand) {
    PaneScene scene;
    EXPECT_EQ(L"用户选项", Tooltip(scene, ID_OPTIONS));
    EXPECT_EQ(L"添加频道", Tooltip(scene, ID_ADD_CHANNEL));
    EXPECT_EQ(L"新建目录", Tooltip(scene, ID_NEW_FOLDER));
    EXPECT_EQ(L"更新", Tooltip(scene, ID_UPDATE));
    EXPECT_EQ(L"订阅更多频道", Tooltip(scene, ID_MORE_CHANNELS));
}

TEST_F(BandToolbarTest, BackgroundIsTheButtonFaceColour) {
    PaneScene scene;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 60);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 300, 60};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    NMCUSTOMDRAW draw = {};
    draw.hdr = {scene.Pane().ToolbarWindow(), BandToolbar::kControlId, NM_CUSTOMDRAW};
    draw.hdc = dc;
    draw.dwDrawStage = CDDS_ITEMPREPAINT;
    EXPECT_EQ(CDRF_DODEFAULT,
              SendMessageA(scene.PaneWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 5, 5));
    draw.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(CDRF_DODEFAULT,
              SendMessageA(scene.PaneWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(dc, 5, 5));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Where the menu window showed up, closed again with Escape.
struct DropLook {
    static DropLook& Current() {
        static DropLook look;
        return look;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        HWND menuWindow = OwnMenuWindow();
        if (!menuWindow) return;
        KillTimer(nullptr, id);
        Current().seen = true;
        GetWindowRect(menuWindow, &Current().rect);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        Current().items = GetMenuItemCount(menu);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    bool seen = false;
    RECT rect = {};
    int items = 0;
};

TEST_F(BandToolbarTest, OptionsMenuDropsUnderTheButtonFromAnywhereOnIt) {
    PaneScene scene;
    HWND toolbar = scene.Pane().ToolbarWindow();
    RECT button = {};
    SendMessageA(toolbar, TB_GETITEMRECT, Index(toolbar, ID_OPTIONS),
                 reinterpret_cast<LPARAM>(&button));
    RECT onScreen = button;
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
    for (int x : {button.left + 3, button.right - 3}) {
        DropLook::Current() = DropLook();
        SetTimer(nullptr, 0, 50, DropLook::OnTimer);
        LPARAM at = MAKELPARAM(x, (button.top + button.bottom) / 2);
        PostMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(toolbar, WM_LBUTTONUP, 0, at);
        // The menu runs inside the click: seen, it has been closed again too.
        PumpUntil([] { return DropLook::Current().seen; });
        DropLook look = DropLook::Current();
        ASSERT_TRUE(look.seen) << x;
        EXPECT_EQ(onScreen.left, look.rect.left);
        EXPECT_EQ(onScreen.bottom, look.rect.top);
        // No sheets beside this program: the separator and the intervals.
        EXPECT_EQ(2, look.items);
    }
}

TEST_F(BandToolbarTest, MenuPointOffEveryMonitorIsMovedIntoTheNearestWorkArea) {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT offLeft = {work.left - 5000, 100, work.left - 4977, 131};
    POINT moved = BandToolbar::MenuOrigin(offLeft);
    EXPECT_EQ(work.left, moved.x);
    EXPECT_EQ(131, moved.y);
    RECT offRight = {work.right + 5000, 100, work.right + 5023, 131};
    EXPECT_EQ(work.right - 1, BandToolbar::MenuOrigin(offRight).x);
    RECT on = {40, 50, 63, 81};
    moved = BandToolbar::MenuOrigin(on);
    EXPECT_EQ(40, moved.x);
    EXPECT_EQ(81, moved.y);
}

// ---- the stored style sheet, with the sheets shipped beside rssband.dll

std::string FileText(const std::wstring& path) {
    std::string text;
    for (const std::string& line : ReadLines(path)) text += line + "\n";
    return text;
}

class ShippedBand {
public:
    explicit ShippedBand(WebBrowserStandin* browser) {
        dll_ = LoadLibraryW(BuildPath("band/rssband.dll").c_str());
        auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            GetProcAddress(dll_, "DllGetClassObject"));
        IClassFactory* factory = nullptr;
        if (!getClass || FAILED(getClass(CLSID_RssBand, IID_IClassFactory,
                                         reinterpret_cast<void**>(&factory)))) {
            return;
        }
        factory->CreateInstance(nullptr, IID_IObjectWithSite, reinterpret_cast<void**>(&band_));
        factory->Release();
        site_ = BandSite::Create(browser);
        browser->SetWindow(site_->Frame());
        if (band_) band_->SetSite(static_cast<IServiceProvider*>(site_));
    }
    ~ShippedBand() {
        if (band_) {
            band_->SetSite(nullptr);
            band_->Release();
        }
        if (site_) site_->Release();
    }
    HWND Pane() const {
        HWND frame = FindWindowExA(site_->Host(), nullptr, "RSS_SplitterWindow", nullptr);
        return FindWindowExA(frame, nullptr, "RSS_FeedTreePane", nullptr);
    }

private:
    HMODULE dll_ = nullptr;
    IObjectWithSite* band_ = nullptr;
    BandSite* site_ = nullptr;
};

std::wstring RootText(HWND tree) {
    wchar_t text[64] = L"";
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_TEXT;
    query.hItem = TreeView_GetRoot(tree);
    query.pszText = text;
    query.cchTextMax = 64;
    if (!query.hItem) return L"";
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

TEST_F(BandToolbarTest, StoredSheetIsAppliedAtCreationAndAChoiceReloadsTheChannelPage) {
    std::wstring sheets = BuildPath("band/css/");
    std::wstring active = PaneScene::Folder().File(L"rss.css");
    DeleteFileW(active.c_str());
    {
        SettingsKey settings;
        settings.WriteDword(kStyleSheetValue, 1);
    }
    WebBrowserStandin* browser = WebBrowserStandin::Create();
    {
        PaneScene::Script(
            "reset\n"
            "node\t1\t0\tchannel\tC\trss_sheet\n");
        ShippedBand band(browser);
        HWND pane = band.Pane();
        ASSERT_TRUE(pane);
        EXPECT_EQ(FileText(sheets + L"paper.css"), FileText(active));
        HWND tree = FindWindowExA(pane, nullptr, "SysTreeView32", nullptr);
        // The engine inserts the channel, then names it in a batch of its
        // own: the page name comes with the text.
        ASSERT_TRUE(PumpUntil([tree] { return RootText(tree) == L"C"; }));
        HTREEITEM channel = TreeView_GetRoot(tree);
        TreeView_SelectItem(tree, channel);
        HANDLE page = CreateFileW(PaneScene::Folder().File(L"rss_sheet.html").c_str(),
                                  GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(page);

        // Applying the sheet at creation refreshed whatever the browser showed.
        int refreshes = browser->Refreshes();
        EXPECT_EQ(1, refreshes);

        // A web page in the browser stays as it is.
        browser->SetLocation(L"http://example.test/", L"web");
        SendMessageA(pane, WM_COMMAND, 11002, 0);
        EXPECT_EQ(FileText(sheets + L"night.css"), FileText(active));
        EXPECT_TRUE(browser->Navigations().empty());
        EXPECT_EQ(refreshes, browser->Refreshes());

        // A channel page is shown again and reloaded with the new sheet.
        browser->SetLocation(L"", L"");
        SendMessageA(pane, WM_COMMAND, 11000, 0);
        EXPECT_EQ(FileText(sheets + L"blue.css"), FileText(active));
        ASSERT_EQ(1u, browser->Navigations().size());
        EXPECT_EQ(PaneScene::Folder().File(L"rss_sheet.html"), browser->Navigations()[0].url);
        EXPECT_EQ(refreshes + 1, browser->Refreshes());
        SettingsKey settings;
        EXPECT_EQ(0u, settings.StyleSheet());
    }
    browser->Release();
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
}

}  // namespace
