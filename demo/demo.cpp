// Loads rssbutton.dll into the host toolbar stand-in, places and shows the
// button the way the host does, and prints what the plug-in did. Then the
// button end to end: feeds served by the local test server are subscribed,
// refreshed in the background, listed in the drop-down, one item is opened
// and shows as read, and the drawn menu is saved as a screenshot.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DialogDemo.h"
#include "ManageDemo.h"
#include "PageDemo.h"
#include "ReaderDemo.h"
#include "browser/WebBrowserStandin.h"
#include "core/HostProtocol.h"
#include "core/ToolbarEnvironment.h"
#include "feeds/FeedFetcher.h"
#include "feeds/FeedParser.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionStore.h"
#include "host/HostToolbar.h"

namespace {

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

// The plug-in's data folder, as the host's users find it.
std::wstring DataFolder() {
    wchar_t root[MAX_PATH] = {};
    if (!ToolbarPath(kToolbarDataRoot, root, MAX_PATH)) return L"";
    return std::wstring(root) + L"\\RSS";
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Report(const char* step, LONG result) {
    std::printf("  %-34s -> %ld\n", step, result);
}

void PrintUtf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    std::fputs(bytes.c_str(), stdout);
    std::fflush(stdout);
}

std::wstring ServerAddress(const wchar_t* path) {
    const char* host = std::getenv("FEED_TEST_HOST");
    std::string name = host && *host ? host : "127.0.0.1";
    return L"http://" + std::wstring(name.begin(), name.end()) + path;
}

// What a user does in the add dialog: the feed is loaded into cache 0 and
// appended under its title. Stamped a day ago, so the background refresh
// takes it up again.
bool Subscribe(const std::wstring& rssIni, const wchar_t* title, const std::wstring& address) {
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"_t", 0, file);
    bool loaded = FetchFeed(address.c_str(), file) && ParseFeedFile(file, 0);
    DeleteFileW(file);
    if (loaded)
        AppendSubscription(rssIni.c_str(), title, address.c_str(), 0, CurrentUpdTime() - 86400);
    return loaded;
}

// The screen around the toolbar, as a 24-bit BMP file.
bool SaveScreen(const std::wstring& path, RECT area) {
    int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = (width * 3 + 3) & ~3u;
    BITMAPFILEHEADER header = {0x4D42, 0, 0, 0,
                               sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    header.bfSize = header.bfOffBits + rowBytes * height;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE && bits &&
              WriteFile(file, &header, sizeof header, &written, nullptr) &&
              WriteFile(file, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
              WriteFile(file, bits, rowBytes * height, &written, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return ok;
}

const MenuEntry* Find(const std::vector<MenuEntry>& menu, UINT id) {
    for (const MenuEntry& entry : menu)
        if (!entry.popup && !entry.separator && entry.id == id) return &entry;
    return nullptr;
}

void WaitForRefresh(HostToolbar& host, size_t notifications) {
    for (int i = 0; i < 300 && host.Notifications().size() < notifications; ++i) host.Pump(100);
}

// Subscribes, refreshes, lists, opens and photographs: the button at work.
void EndToEnd(HostToolbar& host, const std::wstring& data) {
    // The stale refresh the relayed timer started must end first.
    for (int i = 0; i < 100 && host.Notifications().size() % 2; ++i) host.Pump(100);
    std::wstring rssIni = data + L"\\rss.ini";
    CreateUnicodeIniFile(rssIni.c_str());
    CreateUnicodeIniFile((data + L"\\history.ini").c_str());
    WriteIniNumber(rssIni.c_str(), L"main", L"count", 0);
    std::printf("subscribing to feeds of the local test server:\n");
    const struct {
        const wchar_t* title;
        const wchar_t* path;
    } feeds[] = {{L"技术博客", L"/feeds/rss20.xml"},
                 {L"Atom 新闻", L"/feeds/atom10.xml"},
                 {L"国内新闻 (GB2312)", L"/feeds/gb2312.xml"}};
    for (const auto& feed : feeds) {
        std::wstring address = ServerAddress(feed.path);
        bool ok = Subscribe(rssIni, feed.title, address);
        PrintUtf8(L"  " + std::wstring(feed.title) + L"  " + address +
                  (ok ? L"\n" : L"  FAILED\n"));
    }

    std::printf("\"全部刷新\" (command 0x0401): the worker refreshes in the background\n");
    size_t before = host.Notifications().size();
    host.Send(kCodeCommand, 0x0401);
    WaitForRefresh(host, before + 2);
    for (size_t i = before; i < host.Notifications().size(); ++i)
        std::printf("  host notified 0x%08lX (command id 0x%04lX)\n",
                    static_cast<unsigned long>(host.Notifications()[i].wParam),
                    static_cast<unsigned long>(host.Notifications()[i].lParam));

    std::printf("the drop-down as the host draws it:\n");
    host.DropDown();
    PrintUtf8(DescribeMenu(host.LastMenu()));

    const UINT item = 0x1002;  // item 2 of subscription 1
    std::printf("choosing 0x%04X:\n", item);
    HostToolbar::MenuPlan choose;
    choose.choose = item;
    host.DropDown(choose);
    for (const auto& call : host.Host()->OpenedAddresses())
        PrintUtf8(L"  host opened " + call.address + L"\n");

    HostToolbar::MenuPlan photo;
    photo.previewSubmenu = 2;  // the first subscription's submenu
    std::wstring bmp;
    if (const char* out = std::getenv("DEMO_OUT")) {
        std::string folder = out;
        bmp = std::wstring(folder.begin(), folder.end()) + L"\\menu.bmp";
        for (wchar_t& c : bmp)
            if (c == L'/') c = L'\\';
        if (bmp[0] == L'\\') bmp = L"Z:" + bmp;
        photo.whileOpen = [&bmp] { SaveScreen(bmp, {0, 0, 720, 560}); };
    }
    host.DropDown(photo);
    const MenuEntry* opened = Find(host.LastMenu(), item);
    const MenuEntry* other = Find(host.LastMenu(), item + 1);
    std::printf("next drop-down: item 0x%04X has icon %d (read), item 0x%04X icon %d (unread)\n",
                item, opened ? opened->iconId : 0, item + 1, other ? other->iconId : 0);
    if (!bmp.empty()) PrintUtf8(L"screenshot of the open menu: " + bmp + L"\n");
}

// $DEMO_OUT as a Windows path, empty when it is not set.
std::wstring DemoOutFolder() {
    const char* out = std::getenv("DEMO_OUT");
    if (!out || !*out) return L"";
    std::string folder = out;
    std::wstring path(folder.begin(), folder.end());
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path[0] == L'\\' ? L"Z:" + path : path;
}

}  // namespace

int main() {
    // The button sits in the demo's folder tree: build/<arch>/demo/ and
    // build/<arch>/button/rssbutton.dll.
    std::wstring plugin = ModuleFolder() + L"\\..\\button\\rssbutton.dll";
    std::wstring data = DataFolder();
    bool hadStore = Exists(data + L"\\rss.ini");

    HostToolbar host;
    HostToolbar::Options options;
    options.userNumber = 1001;
    options.buttonName = L"RSS";
    if (!host.Create(options)) {
        std::printf("demo: cannot create the host toolbar\n");
        return 1;
    }
    if (!host.LoadPlugin(plugin)) {
        std::printf("demo: cannot load %ls\n", plugin.c_str());
        return 1;
    }
    std::printf("demo: host toolbar with button %u, user %lu; plug-in %ls\n", options.commandId,
                options.userNumber, plugin.c_str());

    std::printf("host messages:\n");
    Report("1  attach", host.Send(kCodeAttach));
    Report("2  button placed", host.Send(kCodePlaced));
    Report("13 visibility (shown)", host.Send(kCodeVisibility, 1));
    IconQuery icon = host.QueryIcon();
    std::printf("  %-34s -> %s\n", "6  icon query",
                (icon.mask & kIconQuerySetsIcon) && icon.icon ? "icon set (no feed on this page)"
                                                              : "left unanswered");
    host.Pump(200);

    std::printf("what the plug-in did:\n");
    std::printf("  asked the host for the login      %d time(s)\n", host.Host()->LoginQueries());
    std::printf("  asked the toolbar to confirm user %lu %u time(s)\n", options.userNumber,
                static_cast<unsigned>(host.UserQueries().size()));
    std::printf("  data folder                       %ls\n", data.c_str());
    std::printf("  store files                       rss.ini %s, history.ini %s%s\n",
                Exists(data + L"\\rss.ini") ? "present" : "MISSING",
                Exists(data + L"\\history.ini") ? "present" : "MISSING",
                hadStore ? " (already there)" : " (created now)");
    std::printf("  browser event sinks connected     %u\n",
                static_cast<unsigned>(host.Browser()->SinkCount()));

    bool armed = host.KillPluginTimer(kTimerStaleRefresh);
    std::printf("  stale-refresh timer 0x4002 armed  %s\n", armed ? "yes (3 s)" : "no");
    // Re-armed shorter, so that the relay shows without a three-second wait.
    if (armed) SetTimer(host.Toolbar(), kTimerStaleRefresh, 100, nullptr);
    host.Pump(300);
    for (UINT_PTR id : host.RelayedTimers())
        std::printf("  host relayed timer 0x%04X as command (code 12)\n",
                    static_cast<unsigned>(id));

    EndToEnd(host, data);

    RunDialogDemo(host, ServerAddress(L"/feeds/rss20.xml"), data + L"\\rss.ini", DemoOutFolder());
    std::printf("the drop-down after adding through the dialog:\n");
    host.DropDown();
    PrintUtf8(DescribeMenu(host.LastMenu()));

    RunPageDemo(host, ServerAddress(L"/blog/index.html"), L"../feeds/rss20.xml", DemoOutFolder());

    RunManageDemo(host,
                  {ServerAddress(L"/feeds/rss20.xml"), ServerAddress(L"/feeds/atom10.xml"),
                   ServerAddress(L"/feeds/gb2312.xml")},
                  DemoOutFolder());

    std::printf("the same feed subscribed in the web reader for the logged-in user:\n");
    UseStandInReaderService();
    ShowReaderSubscription(host, ServerAddress(L"/feeds/rss20.xml"));

    Report("21 unload", host.Send(kCodeUnload));
    std::printf("  browser event sinks after unload  %u\n",
                static_cast<unsigned>(host.Browser()->SinkCount()));
    return 0;
}
