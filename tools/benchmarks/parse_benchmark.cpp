// Times ParseFeedFile on generated RSS documents of 100, 1,000 and 10,000 items
// against TinyXML's bare LoadFile of the same file.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "feeds/FeedCache.h"
#include "feeds/FeedParser.h"
#include "tinyxml.h"

namespace {
constexpr int kRuns = 15;
constexpr int kCacheNumber = 90001;  // far from any subscription or dialog cache

// About 200 bytes per item.
std::string GenerateFeed(int items) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>\n"
        "<title>Benchmark feed</title><link>http://example.org/</link>\n";
    char item[512];
    for (int k = 1; k <= items; ++k) {
        snprintf(item, sizeof item,
                 "<item><title>Item number %d of the benchmark feed</title>"
                 "<link>http://example.org/articles/%08d.html</link>"
                 "<description>Short text for item %d.</description>"
                 "<guid>item-%08d</guid></item>\n",
                 k, k, k, k);
        text += item;
    }
    text += "</channel></rss>\n";
    return text;
}

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

template <typename Work>
double MedianSeconds(Work work) {
    std::vector<double> times;
    if (!work()) return -1;  // warm-up: first-use costs of the system libraries
    for (int run = 0; run < kRuns; ++run) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        if (!work()) return -1;
        QueryPerformanceCounter(&end);
        times.push_back(Seconds(start, end));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool WriteFile(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return written == text.size();
}
}  // namespace

int main() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"parse_benchmark.xml";
    char ansiPath[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, ansiPath, sizeof ansiPath, nullptr, nullptr);

    printf("%8s %10s %12s %14s %12s %8s\n", "items", "bytes", "parse ms", "us per item", "load ms",
           "ratio");
    double perItemAt1000 = 0;
    for (int items : {100, 1000, 10000}) {
        std::string text = GenerateFeed(items);
        if (!WriteFile(path, text)) return 1;
        double parse =
            MedianSeconds([&] { return ParseFeedFile(path.c_str(), kCacheNumber) == 1; });
        double load = MedianSeconds([&] {
            TiXmlDocument document;
            return document.LoadFile(ansiPath);
        });
        if (parse < 0 || load < 0) {
            printf("benchmark run failed at %d items\n", items);
            return 1;
        }
        double perItem = parse / items * 1e6;
        if (items == 1000) perItemAt1000 = perItem;
        printf("%8d %10u %12.2f %14.3f %12.2f %8.2f\n", items, static_cast<unsigned>(text.size()),
               parse * 1e3, perItem, load * 1e3, parse / load);
        if (items == 10000 && perItemAt1000 > 0)
            printf("time per item at 10,000 / at 1,000: %.2f\n", perItem / perItemAt1000);
    }
    DeleteFileW(path.c_str());
    DeleteFileW(FeedCachePath(kCacheNumber).c_str());
    DeleteFileW(FeedCacheTempPath(kCacheNumber).c_str());
    return 0;
}
