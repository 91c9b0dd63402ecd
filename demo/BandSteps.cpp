#include "BandSteps.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DemoSession.h"
#include "ModalVisit.h"
#include "PageLoader.h"
#include "Screenshot.h"
#include "browser/BandSite.h"
#include "browser/WebBrowserStandin.h"
#include "testengine/EngineControl.h"
#include "host/MenuSnapshot.h"
#include "../band/server/EngineProtocol.h"

// Band resource ids; the button's resource.h has the same name.
#include "../band/res/resource.h"

namespace {

// {8755CE6E-0BF7-4441-8751-FB728941B0B4}
const CLSID kRssBandClass = {
    0x8755ce6e, 0x0bf7, 0x4441, {0x87, 0x51, 0xfb, 0x72, 0x89, 0x41, 0xb0, 0xb4}};

const wchar_t kTechChannel[] = L"开源技术周刊";
const wchar_t kLifeChannel[] = L"城市生活";
const wchar_t kRemovedChannel[] = L"旅行笔记";

std::wstring BandFolder(const DemoSession& s) {
    return s.programFolder + L"..\\band\\";
}

HWND EngineWindow() {
    return FindWindowA(kEngineWindowClass, nullptr);
}

std::wstring EngineFile(const DemoSession& s) {
    return s.engineFile.empty() ? BandFolder(s) + L"Feed.dll" : s.engineFile;
}

bool IsX64Image(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    IMAGE_DOS_HEADER dos = {};
    IMAGE_NT_HEADERS32 nt = {};
    DWORD read = 0;
    bool x64 =
        ReadFile(file, &dos, sizeof dos, &read, nullptr) && read == sizeof dos &&
        SetFilePointer(file, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
        ReadFile(file, &nt, sizeof nt, &read, nullptr) && read == sizeof nt &&
        nt.FileHeader.Machine == IMAGE_FILE_MACHINE_AMD64;
    CloseHandle(file);
    return x64;
}

// A 32-bit walk on 64-bit Windows may start a 64-bit engine: only the
// system's own rundll32 loads it, which a 32-bit process reaches through
// Sysnative.
std::wstring RundllFor(const std::wstring& engine) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (!wow64 || !IsX64Image(engine)) return L"rundll32";
    wchar_t windows[MAX_PATH] = L"";
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\Sysnative\\rundll32.exe";
}

// As the system's start of the engine would: one process, started once.
bool StartEngine(DemoSession& s) {
    if (EngineWindow()) return true;
    std::wstring engine = EngineFile(s);
    std::wstring command = RundllFor(engine) + L" \"" + engine + L"\",EntryPoint";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return s.PumpUntil([] { return EngineWindow() != nullptr; });
}

void StopEngine(DemoSession& s) {
    HWND engine = EngineWindow();
    if (!engine) return;
    PostMessageA(engine, WM_CLOSE, 0, 0);
    s.PumpUntil([] { return EngineWindow() == nullptr; });
}

IObjectWithSite* CreateBand(const std::wstring& dll) {
    HMODULE module = LoadLibraryW(dll.c_str());
    auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        module ? GetProcAddress(module, "DllGetClassObject") : nullptr);
    IClassFactory* factory = nullptr;
    if (!getClass ||
        FAILED(getClass(kRssBandClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        return nullptr;
    }
    IObjectWithSite* band = nullptr;
    factory->CreateInstance(nullptr, IID_IObjectWithSite, reinterpret_cast<void**>(&band));
    factory->Release();
    return band;
}

HWND FindDescendant(HWND parent, const char* className) {
    HWND found = FindWindowExA(parent, nullptr, className, nullptr);
    for (HWND child = GetWindow(parent, GW_CHILD); child && !found;
         child = GetWindow(child, GW_HWNDNEXT)) {
        found = FindDescendant(child, className);
    }
    return found;
}

std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t label[260] = L"";
    TVITEMW query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = label;
    query.cchTextMax = 260;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return label;
}

// The engine may add " (n)" to a name with unread items.
std::wstring BareName(std::wstring text) {
    size_t open = text.rfind(L" (");
    return open == std::wstring::npos ? text : text.substr(0, open);
}

HTREEITEM FindByName(HWND tree, HTREEITEM item, const std::wstring& name) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        if (BareName(ItemText(tree, item)) == name) return item;
        if (HTREEITEM below = FindByName(tree, TreeView_GetChild(tree, item), name)) return below;
    }
    return nullptr;
}

HTREEITEM Find(const DemoSession& s, const std::wstring& name) {
    return FindByName(s.tree, TreeView_GetRoot(s.tree), name);
}

bool IsBold(HWND tree, HTREEITEM item) {
    return item && (TreeView_GetItemState(tree, item, TVIS_BOLD) & TVIS_BOLD);
}

int BoldBelow(HWND tree, HTREEITEM item) {
    int bold = IsBold(tree, item) ? 1 : 0;
    for (HTREEITEM child = TreeView_GetChild(tree, item); child;
         child = TreeView_GetNextSibling(tree, child)) {
        bold += BoldBelow(tree, child);
    }
    return bold;
}

int BoldInTree(HWND tree) {
    int bold = 0;
    for (HTREEITEM top = TreeView_GetRoot(tree); top; top = TreeView_GetNextSibling(tree, top))
        bold += BoldBelow(tree, top);
    return bold;
}

int ItemImage(HWND tree, HTREEITEM item) {
    TVITEMW query = {};
    query.mask = TVIF_IMAGE;
    query.hItem = item;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return query.iImage;
}

// A click as the user makes it: the pointer on the label, then the tree's
// click notification to its pane.
void ClickItem(DemoSession& s, HTREEITEM item) {
    RECT rect = {};
    TreeView_EnsureVisible(s.tree, item);
    TreeView_GetItemRect(s.tree, item, &rect, TRUE);
    POINT at = {rect.left + 6, (rect.top + rect.bottom) / 2};
    ClientToScreen(s.tree, &at);
    SetCursorPos(at.x, at.y);
    NMHDR click = {s.tree, 0, NM_CLICK};
    SendMessageA(s.pane, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
}

// The engine keeps the walk's subscriptions apart from the user's, and
// starts each walk without any.
void UseFreshEngineStore() {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"FeedDemoEngine";
    CreateDirectoryW(folder.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        if (!FindNextFileW(search, &found)) break;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    SetEnvironmentVariableW(L"FEED_ENGINE_DATA", folder.c_str());
}

// Every update progress value the engine reports to the pane.
LRESULT CALLBACK RecordProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
    if (message == WM_RSS_UPDATE)
        reinterpret_cast<std::vector<LONG>*>(data)->push_back(static_cast<LONG>(lParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

std::wstring Joined(const std::vector<LONG>& values) {
    std::wstring text;
    for (LONG value : values) text += (text.empty() ? L"" : L", ") + std::to_wstring(value);
    return text.empty() ? L"none" : text;
}

DWORD StoredSheet() {
    DWORD sheet = 0, size = sizeof sheet;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Varnel R&D\\RSS", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        RegQueryValueExA(key, "CSS", nullptr, nullptr, reinterpret_cast<BYTE*>(&sheet), &size);
        RegCloseKey(key);
    }
    return sheet;
}

// The engine's dialog exists before its controls do, and fills in its
// address field when it starts: it is ready for input once it is shown.
HWND ReadyDialogEdit(HWND dialog) {
    if (!dialog || !IsWindowVisible(dialog)) return nullptr;
    return FindWindowExW(dialog, nullptr, L"Edit", nullptr);
}

// "添加频道" on the band's toolbar for each sample feed: the engine's dialog
// takes the address, the engine fetches the feed and names the channel.
std::wstring AddChannelsThroughDialog(DemoSession& s) {
    const wchar_t* const feeds[] = {L"/site/feeds/tech.xml", L"/site/feeds/life.xml",
                                    L"/site/feeds/travel.xml"};
    const wchar_t* const names[] = {kTechChannel, kLifeChannel, kRemovedChannel};
    int added = 0;
    for (int i = 0; i < 3; ++i) {
        TreeView_SelectItem(s.tree, nullptr);
        SendMessageA(s.pane, WM_COMMAND, ID_ADD_CHANNEL, 0);
        HWND dialog = nullptr, address = nullptr;
        s.PumpUntil([&] {
            dialog = FindWindowW(L"#32770", L"添加频道");
            address = ReadyDialogEdit(dialog);
            return address != nullptr;
        });
        if (!address) break;
        SendMessageW(address, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(ServerAddress(feeds[i]).c_str()));
        if (i == 0) {
            s.LetPaint();
            s.walk.Picture(s.FrameAnd(dialog), L"engine_add_channel");
        }
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        if (s.PumpUntil([&] { return Find(s, names[i]) != nullptr; })) ++added;
    }
    s.PumpUntil([&] { return BoldInTree(s.tree) > 0; });
    return std::to_wstring(added) + L" channels added through the engine's dialog \"添加频道\"";
}

}  // namespace

void OpenBand(DemoSession& s) {
    // A fresh engine for the walk; the band finds it running, as it finds
    // the one that serves every band of the desktop.
    StopEngine(s);
    UseFreshEngineStore();
    bool engine = StartEngine(s);
    s.band = CreateBand(BandFolder(s) + L"rssband.dll");
    s.site = BandSite::Create(s.host.Browser());
    s.frame.PlaceBandHost(s.site->Host());
    std::wstring failure;
    bool sited = false;
    if (s.band) {
        // An engine that fails to start shows an error box: answered, not left to hang.
        ModalVisit answer(
            [&](bool) {
                HWND box = FindOwnedDialog(nullptr, L"错误");
                if (!box) return false;
                failure = MessageText(box);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return true;
            },
            kStepPatienceMs);
        sited = SUCCEEDED(s.band->SetSite(static_cast<IServiceProvider*>(s.site)));
    }
    IDeskBand* deskBand = nullptr;
    bool shown =
        s.band &&
        SUCCEEDED(s.band->QueryInterface(IID_IDeskBand, reinterpret_cast<void**>(&deskBand))) &&
        SUCCEEDED(deskBand->ShowDW(TRUE));
    if (deskBand) deskBand->Release();
    s.frame.ShowBand(true);
    s.pane = FindDescendant(s.site->Host(), "RSS_FeedTreePane");
    s.tree = s.pane ? FindWindowExA(s.pane, nullptr, "SysTreeView32", nullptr) : nullptr;
    s.status = s.pane ? FindWindowExA(s.pane, nullptr, "msctls_statusbar32", nullptr) : nullptr;
    s.LetPaint();
    s.walk.Step(L"open the explorer bar \"我的订阅\"",
                engine && sited && shown && s.tree && failure.empty(),
                std::wstring(L"rssband.dll created by its class, sited and shown; tree pane ") +
                    (s.tree ? L"in the frame" : L"MISSING") + L", engine " +
                    (engine ? L"running" : L"NOT running") +
                    (failure.empty() ? L"" : L"; error box: " + failure));
    s.walk.Picture(s.FrameArea(), L"band_open");
}

void ShowEngineTree(DemoSession& s) {
    if (!s.tree) {
        s.walk.Step(L"the engine describes the tree", false, L"no band");
        return;
    }
    std::wstring how = AddChannelsThroughDialog(s);
    UINT nodes = TreeView_GetCount(s.tree);
    int bold = BoldInTree(s.tree);
    bool all = Find(s, kTechChannel) && Find(s, kLifeChannel) && Find(s, kRemovedChannel);
    s.walk.Step(L"the engine describes the tree", all && bold > 0,
                std::to_wstring(nodes) + L" folders and channels, " + std::to_wstring(bold) +
                    L" bold (unread); " + how);
    s.walk.Picture(s.FrameArea(), L"band_tree");
}

void UpdateChannel(DemoSession& s) {
    HTREEITEM channel = s.tree ? Find(s, kTechChannel) : nullptr;
    if (!channel) {
        s.walk.Step(L"update a channel", false, L"channel not in the tree");
        return;
    }
    TreeView_SelectItem(s.tree, channel);
    std::vector<LONG> progress;
    SetWindowSubclass(s.pane, &RecordProgress, 1, reinterpret_cast<DWORD_PTR>(&progress));
    SendMessageA(s.pane, WM_COMMAND, ID_UPDATE, 0);
    bool ended = s.PumpUntil([&] {
        return !progress.empty() && (progress.back() > RSS_PROGRESS_DONE || progress.back() < 0);
    });
    RemoveWindowSubclass(s.pane, &RecordProgress, 1);
    bool finished = ended && progress.back() > RSS_PROGRESS_DONE;
    s.walk.Step(L"update a channel", finished && ItemImage(s.tree, channel) == 2,
                L"\"更新\" on \"" + std::wstring(kTechChannel) + L"\": progress " +
                    Joined(progress) + (finished ? L" (finished, page written)" : L""));
    s.walk.Picture(s.FrameArea(), L"channel_updated");
}

void ShowChannelPage(DemoSession& s) {
    HTREEITEM channel = s.tree ? Find(s, kTechChannel) : nullptr;
    if (!channel) {
        s.walk.Step(L"show the channel's page", false, L"channel not in the tree");
        return;
    }
    int loads = s.frame.Loads();
    ClickItem(s, channel);
    bool shown = s.PumpUntil([&] {
        return s.frame.Loads() > loads && s.frame.Page().kind == PageContent::Kind::Channel;
    });
    s.walk.Step(L"show the channel's page", shown,
                L"click on \"" + std::wstring(kTechChannel) + L"\": the frame shows " +
                    s.frame.Address() + L" with " + std::to_wstring(s.frame.Page().items.size()) +
                    L" items");
    s.walk.Picture(s.FrameArea(), L"channel_page");
}

void SwitchStyleSheet(DemoSession& s) {
    HWND toolbar = s.pane ? FindWindowExA(s.pane, nullptr, "ToolbarWindow32", nullptr) : nullptr;
    if (!toolbar) {
        s.walk.Step(L"switch the style sheet", false, L"no band toolbar");
        return;
    }
    const UINT sheet = ID_STYLE_SHEET_FIRST + 2;
    std::wstring chosen;
    ModalVisit visit(
        [&](bool overdue) {
            HWND menuWindow = ThreadMenuWindow();
            if (overdue) {
                EndMenu();
                return true;
            }
            if (!menuWindow) return false;
            auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
            wchar_t text[64] = L"";
            GetMenuStringW(menu, sheet, text, 64, MF_BYCOMMAND);
            chosen = text;
            s.walk.Picture(AreaOfWindows({s.frame.Window(), menuWindow}), L"options_menu");
            std::vector<WPARAM> keys = KeysToChoose(menu, sheet);
            for (WPARAM key : keys) {
                PostMessageW(s.pane, WM_KEYDOWN, key, 1);
                PostMessageW(s.pane, WM_KEYUP, key, 0xC0000001);
            }
            if (keys.empty()) EndMenu();
            return true;
        },
        kStepPatienceMs);
    RECT button = {};
    SendMessageA(toolbar, TB_GETITEMRECT, SendMessageA(toolbar, TB_COMMANDTOINDEX, ID_OPTIONS, 0),
                 reinterpret_cast<LPARAM>(&button));
    LPARAM at = MAKELPARAM(button.left + 4, button.top + 4);
    int refreshes = s.host.Browser()->Refreshes();
    size_t navigations = s.host.Browser()->Navigations().size();
    // A menu opening under the pointer would select what lies beneath it.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    PostMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(toolbar, WM_LBUTTONUP, 0, at);
    bool restyled = s.PumpUntil([&] {
        return visit.Done() && (s.host.Browser()->Refreshes() > refreshes ||
                                s.host.Browser()->Navigations().size() > navigations);
    });
    bool stored = s.PumpUntil([&] { return StoredSheet() == sheet - ID_STYLE_SHEET_FIRST; });
    s.LetPaint();
    s.walk.Step(L"switch the style sheet", restyled && stored,
                L"options menu \"用户选项\" -> \"" + chosen + L"\"; stored sheet " +
                    std::to_wstring(StoredSheet()) + L", page " +
                    (restyled ? L"redrawn with rss.css" : L"NOT redrawn"));
    s.walk.Picture(s.FrameArea(), L"style_sheet");
}

void MarkAsRead(DemoSession& s) {
    HTREEITEM channel = s.tree ? Find(s, kLifeChannel) : nullptr;
    if (!channel) {
        s.walk.Step(L"mark as read", false, L"channel not in the tree");
        return;
    }
    TreeView_SelectItem(s.tree, channel);
    bool before = IsBold(s.tree, channel);
    SendMessageA(s.pane, WM_COMMAND, ID_MARK_READ, 0);
    s.PumpUntil([&] { return !IsBold(s.tree, channel); });
    bool after = IsBold(s.tree, channel);
    s.walk.Step(L"mark as read", before && !after,
                L"\"标记为已读\" on \"" + std::wstring(kLifeChannel) + L"\": " +
                    (before ? L"bold" : L"normal") + L" -> " + (after ? L"bold" : L"normal"));
    s.walk.Picture(s.FrameArea(), L"marked_read");
}

void RemoveChannel(DemoSession& s) {
    HTREEITEM channel = s.tree ? Find(s, kRemovedChannel) : nullptr;
    if (!channel) {
        s.walk.Step(L"remove a channel", false, L"channel not in the tree");
        return;
    }
    TreeView_SelectItem(s.tree, channel);
    std::wstring question;
    ModalVisit answer(
        [&](bool) {
            HWND box = FindOwnedDialog(s.pane, L"确认删除");
            if (!box) return false;
            question = MessageText(box);
            s.walk.Picture(AreaOfWindows({s.frame.Window(), box}), L"band_delete_confirm");
            PostMessageW(box, WM_COMMAND, IDYES, 0);
            return true;
        },
        kStepPatienceMs);
    SendMessageA(s.pane, WM_COMMAND, ID_DELETE, 0);
    bool gone = s.PumpUntil([&] { return !Find(s, kRemovedChannel); });
    s.walk.Step(L"remove a channel", !question.empty() && gone,
                L"confirmed \"" + question + L"\"; the engine removed it from the tree");
    s.walk.Picture(s.FrameArea(), L"band_channel_removed");
}

void CloseBand(DemoSession& s) {
    if (s.band) {
        s.band->SetSite(nullptr);
        s.band->Release();
        s.band = nullptr;
    }
    if (s.site) {
        s.site->Release();
        s.site = nullptr;
    }
    StopEngine(s);
}
