// Times importing an OPML list of 1,000 feeds into stores of 240 and of 10
// subscriptions (15-item caches), the drop-down built before and after each
// import, and the export of the grown store. Imported feeds have no cache
// yet: the drop-down must show them without fetching them. The plug-in's data
// folder is moved aside while it runs and put back at the end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ButtonBenchmark.h"
#include "core/ButtonMenu.h"
#include "core/OwnerDrawMenu.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedCacheWriter.h"
#include "feeds/SubscriptionExport.h"
#include "feeds/SubscriptionImport.h"
#include "feeds/SubscriptionStore.h"

using namespace benchmark;

namespace {
constexpr int kMenuRuns = 21;
constexpr int kImportRuns = 7;
constexpr int kImported = 1000;

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// count feeds at addresses no server answers (a fetch would show as time).
std::string OpmlList(const char* host, int count) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n"
        "<head><title>Benchmark</title></head>\n<body>\n";
    char line[256];
    for (int n = 1; n <= count; ++n) {
        snprintf(line, sizeof line,
                 "  <outline type=\"rss\" text=\"\xE8\xAE\xA2\xE9\x98\x85 %d\" "
                 "xmlUrl=\"http://%s/feeds/%d.xml\" htmlUrl=\"http://%s/\"/>\n",
                 n, host, n, host);
        text += line;
    }
    return text + "</body>\n</opml>\n";
}

void WriteCaches(int count) {
    FeedCache cache;
    cache.hasLink = true;
    cache.link = L"http://example.invalid/";
    cache.title = L"Feed";
    for (int k = 1; k <= 15; ++k) {
        cache.items.push_back({L"第 " + std::to_wstring(k) + L" 条新闻的标题，长度和真实的差不多",
                               L"http://example.invalid/articles/" + std::to_wstring(k)});
    }
    for (int n = 1; n <= count; ++n) WriteFeedCacheFile(FeedCachePath(n).c_str(), cache);
}

// The drop-down as the button builds it: the store, every submenu, the
// owner-drawn copy.
double MenuBuild() {
    std::wstring rss = DataFile(L"rss.ini");
    HostRecord record = {};
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    HMENU popup = nullptr;
    HMENU loaded = LoadButtonMenu(&popup);
    ButtonMenuState state;
    OwnerDrawMenu menu;
    if (menu.Start(popup) && !AppendButtonMenuEntries(menu.Get(), &record, rss.c_str(), state))
        menu.Reset();
    DestroyMenu(loaded);
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

struct MenuTimes {
    double before = 0;
    double after = 0;
};

// The drop-down from the list before and after the import, taken in turns so
// that a busy machine slows both alike; the caches are the same.
MenuTimes CompareMenus(const std::string& before, const std::string& after) {
    std::wstring rss = DataFile(L"rss.ini");
    std::vector<double> beforeRuns, afterRuns;
    for (int run = 0; run < kMenuRuns; ++run) {
        WriteBytes(rss, before);
        beforeRuns.push_back(MenuBuild());
        WriteBytes(rss, after);
        afterRuns.push_back(MenuBuild());
    }
    return {Median(beforeRuns), Median(afterRuns)};
}

struct ImportTimes {
    double median = 0;
    double slowest = 0;
    ImportSummary summary;
};

// The import, each run into the store as it was before.
ImportTimes TimeImport(const std::wstring& list) {
    std::wstring rss = DataFile(L"rss.ini");
    std::wstring history = DataFile(L"history.ini");
    std::string before = ReadBytes(rss);
    std::vector<double> runs;
    ImportTimes times;
    for (int run = 0; run < kImportRuns; ++run) {
        WriteBytes(rss, before);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        times.summary = ImportOpmlFile(rss.c_str(), history.c_str(), list.c_str());
        QueryPerformanceCounter(&end);
        runs.push_back(Milliseconds(start, end));
    }
    times.median = Median(runs);
    times.slowest = *std::max_element(runs.begin(), runs.end());
    return times;
}

void Scenario(int storeSize) {
    std::wstring rss = DataFile(L"rss.ini");
    std::wstring history = DataFile(L"history.ini");
    DeleteFileW(rss.c_str());
    DeleteFileW(history.c_str());
    EnsureStoreFiles(rss.c_str(), history.c_str());
    std::wstring seed = TempFile(L"opml_benchmark_seed.opml");
    WriteBytes(seed, OpmlList("seed.invalid", storeSize));
    ImportOpmlFile(rss.c_str(), history.c_str(), seed.c_str());
    DeleteFileW(seed.c_str());
    WriteCaches(storeSize);

    std::string before = ReadBytes(rss);
    std::wstring list = TempFile(L"opml_benchmark_list.opml");
    WriteBytes(list, OpmlList("imported.invalid", kImported));
    ImportTimes import = TimeImport(list);
    DeleteFileW(list.c_str());
    MenuTimes menu = CompareMenus(before, ReadBytes(rss));

    std::wstring exported = TempFile(L"opml_benchmark_export.opml");
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    int written = ExportOpmlFile(rss.c_str(), exported.c_str());
    QueryPerformanceCounter(&end);
    DeleteFileW(exported.c_str());

    std::printf("store of %d, %d imported:\n", storeSize, kImported);
    std::printf("  import: median %8.2f ms, slowest %8.2f ms of %d runs (added %d, skipped %d)\n",
                import.median, import.slowest, kImportRuns, import.summary.added,
                import.summary.skipped);
    std::printf("  drop-down: %8.2f ms before, %8.2f ms after the import (median of %d)\n",
                menu.before, menu.after, kMenuRuns);
    std::printf("  export of %d: %8.2f ms\n", written, Milliseconds(start, end));
}

}  // namespace

int main() {
    DataFolderAside aside;
    Scenario(240);
    aside.Empty();
    Scenario(10);
    return 0;
}
