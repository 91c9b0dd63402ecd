// Times building the button's drop-down (the store read, every submenu, the
// owner-drawn items) for 10, 60 and 240 subscriptions with 15-item caches,
// and the item icon answers for one submenu. The plug-in's data folder is
// moved aside while it runs and put back at the end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ButtonBenchmark.h"
#include "core/ButtonMenu.h"
#include "core/MenuItemQueries.h"
#include "core/OwnerDrawMenu.h"
#include "feeds/FeedCache.h"
#include "feeds/StoreFile.h"
#include "core/ToolbarEnvironment.h"

using namespace benchmark;

namespace {
constexpr int kRuns = 15;

void WriteStore(int count) {
    std::wstring rss = DataFile(L"rss.ini");
    CreateUnicodeIniFile(rss.c_str());
    CreateUnicodeIniFile(DataFile(L"history.ini").c_str());
    WriteIniNumber(rss.c_str(), L"main", L"count", count);
    for (int n = 1; n <= count; ++n) {
        std::wstring section = NumberedSection(L"rss", n);
        WriteIniString(rss.c_str(), section.c_str(), L"title", L"订阅 " + std::to_wstring(n));
        WriteIniString(rss.c_str(), section.c_str(), L"xmlUrl", L"http://example.invalid/rss");
        WriteIniString(rss.c_str(), section.c_str(), L"htmlUrl", L"http://example.invalid/");
        WriteIniNumber(rss.c_str(), section.c_str(), L"updTime", 1700000000);
        std::wstring cache = FeedCachePath(n);
        if (FileExists(cache.c_str())) continue;
        CreateUnicodeIniFile(cache.c_str());
        WriteIniString(cache.c_str(), L"main", L"title", L"Feed");
        WriteIniNumber(cache.c_str(), L"main", L"count", 15);
        for (int k = 1; k <= 15; ++k) {
            std::wstring item = NumberedSection(L"item", k);
            WriteIniString(cache.c_str(), item.c_str(), L"title",
                           L"第 " + std::to_wstring(k) + L" 条新闻的标题，长度和真实的差不多");
            WriteIniString(cache.c_str(), item.c_str(), L"link",
                           L"http://example.invalid/articles/" + std::to_wstring(n * 100 + k));
        }
    }
}

// The whole build; release receives the time of freeing the menu, which the
// next drop-down pays before it builds.
double TimeBuild(const std::wstring& rss, double* release) {
    HostRecord record = {};
    LARGE_INTEGER start, built, end;
    QueryPerformanceCounter(&start);
    HMENU popup = nullptr;
    HMENU loaded = LoadButtonMenu(&popup);
    ButtonMenuState state;
    state.loggedIn = true;
    OwnerDrawMenu menu;
    if (menu.Start(popup) && !AppendButtonMenuEntries(menu.Get(), &record, rss.c_str(), state))
        menu.Reset();
    DestroyMenu(loaded);
    QueryPerformanceCounter(&built);
    menu.Reset();
    QueryPerformanceCounter(&end);
    *release = Milliseconds(built, end);
    return Milliseconds(start, built);
}

// What the host asks while it draws the last submenu: 15 item icons.
double TimeIcons(int number, const std::wstring& history) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int k = 1; k <= 15; ++k) {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = static_cast<UINT>((number + 15) * 256 + k);
        ButtonMenuItemIcon(&draw, history.c_str());
    }
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

}  // namespace

int main() {
    DataFolderAside aside;
    std::printf("menu build (median of %d runs), 15-item caches:\n", kRuns);
    double first = 0;
    for (int count : {10, 60, 240}) {
        WriteStore(count);
        std::wstring rss = DataFile(L"rss.ini");
        std::vector<double> builds, releases, icons;
        for (int run = 0; run < kRuns; ++run) {
            double release = 0;
            builds.push_back(TimeBuild(rss, &release));
            releases.push_back(release);
            icons.push_back(TimeIcons(count, DataFile(L"history.ini")));
        }
        double median = Median(builds);
        if (count == 10) first = median;
        std::printf(
            "  %3d subscriptions: build %8.2f ms (min %7.2f, max %7.2f; %5.1fx of 10), "
            "freeing it %6.2f ms, 15 item icons %6.2f ms\n",
            count, median, *std::min_element(builds.begin(), builds.end()),
            *std::max_element(builds.begin(), builds.end()), first > 0 ? median / first : 0.0,
            Median(releases), Median(icons));
    }
    return 0;
}
