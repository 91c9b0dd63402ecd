// Mutated feed files against ParseFeedFile: a fixed seed derives variants of
// the parser fixtures (bit flips, cuts, duplicated and deleted spans, huge
// values, deep nesting, many items, invalid UTF-8, unused encodings, NUL
// bytes). Each must parse or fail within a time limit, without crashing,
// without writing outside its own cache files and with memory bounded.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <psapi.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "FeedTestSupport.h"
#include "feeds/FeedParser.h"

using namespace feedtest;

namespace {

constexpr int kVariants = 10000;
constexpr int kCacheNumber = -900;
constexpr DWORD kFileLimitMs = 5000;
constexpr SIZE_T kMemoryLimit = 512u << 20;

const char* const kFixtures[] = {"rss20.xml",        "atom10.xml",      "rss10.xml",
                                 "gb2312.xml",       "utf8_bom.xml",    "utf16le.xml",
                                 "numeric_refs.xml", "blank_title.xml", "missing_item_link.xml",
                                 "big5.xml",         "atom03.xml",      "rss091.xml"};

using Bytes = std::string;

class Mutator {
public:
    explicit Mutator(unsigned seed) : random_(seed) {}

    Bytes Derive(const Bytes& source, int kind) {
        Bytes text = source;
        switch (kind) {
            case 0:
                FlipBits(text);
                break;
            case 1:
                text.resize(CutLength(text.size()));
                break;
            case 2:
                DuplicateSpan(text);
                break;
            case 3:
                DeleteSpan(text);
                break;
            case 4:
                Insert(text, AtTagEnd(text), " a=\"" + Bytes(Pick(1000, 300000), 'x') + "\"");
                break;
            case 5:
                Insert(text, AfterTag(text), Bytes(Pick(1000, 1000000), 'y'));
                break;
            case 6:
                text = DeepNesting();
                break;
            case 7:
                ManyItems(text);
                break;
            case 8:
                Insert(text, Pick(0, text.size()), InvalidUtf8());
                break;
            case 9:
                DeclareEncoding(text);
                break;
            case 10:
                Insert(text, Pick(0, text.size()), Bytes(Pick(1, 4), '\0'));
                break;
            default:
                Splice(text);
                break;
        }
        return text;
    }

    size_t Pick(size_t low, size_t high) {
        return high <= low ? low : low + random_() % (high - low + 1);
    }

private:
    void FlipBits(Bytes& text) {
        if (text.empty()) return;
        for (size_t n = Pick(1, 8); n; --n) text[Pick(0, text.size() - 1)] ^= 1 << Pick(0, 7);
    }

    // Every length class: nothing, one byte, the head, the middle, all but the end.
    size_t CutLength(size_t size) {
        switch (Pick(0, 4)) {
            case 0:
                return 0;
            case 1:
                return size ? 1 : 0;
            case 2:
                return Pick(0, size < 40 ? size : 40);
            case 3:
                return Pick(0, size);
            default:
                return size ? size - Pick(1, size < 8 ? size : 8) : 0;
        }
    }

    void DuplicateSpan(Bytes& text) {
        size_t start = Pick(0, text.size());
        size_t length = Pick(0, text.size() - start);
        Bytes span = text.substr(start, length);
        for (size_t n = Pick(1, 3); n; --n) text.insert(Pick(0, text.size()), span);
    }

    void DeleteSpan(Bytes& text) {
        size_t start = Pick(0, text.size());
        text.erase(start, Pick(0, text.size() - start));
    }

    void Splice(Bytes& text) {
        for (size_t n = Pick(1, 16); n; --n)
            Insert(text, Pick(0, text.size()), Bytes(1, static_cast<char>(random_())));
    }

    static void Insert(Bytes& text, size_t at, const Bytes& part) {
        text.insert(at < text.size() ? at : text.size(), part);
    }

    // Just before the ">" of some tag, where an attribute would go.
    size_t AtTagEnd(const Bytes& text) {
        size_t at = text.find('>', Pick(0, text.size()));
        return at == Bytes::npos ? text.find('>') : at;
    }

    size_t AfterTag(const Bytes& text) {
        size_t at = AtTagEnd(text);
        return at == Bytes::npos ? text.size() : at + 1;
    }

    Bytes DeepNesting() {
        const size_t depth = 100000;
        Bytes text = "<rss><channel><title>t</title><link>l</link>";
        text.reserve(depth * 7 + 64);
        for (size_t i = 0; i < depth; ++i) text += "<item>";
        if (Pick(0, 1))
            for (size_t i = 0; i < depth; ++i) text += "</item>";
        return text + "</channel></rss>";
    }

    void ManyItems(Bytes& text) {
        size_t at = text.find("<item");
        if (at == Bytes::npos) at = text.find("<entry");
        Bytes item = at == Bytes::npos ? Bytes("<item><title>t</title><link>l</link></item>")
                                       : text.substr(at, text.find('>', at) + 1 - at) +
                                             "<title>t</title><link>l</link></item>";
        Bytes many;
        for (size_t n = Pick(1000, 3000); n; --n) many += item;
        Insert(text, at == Bytes::npos ? AfterTag(text) : at, many);
    }

    Bytes InvalidUtf8() {
        static const char* const kBad[] = {"\xC0\xAF",
                                           "\xFF\xFE",
                                           "\x80",
                                           "\xED\xA0\x80",
                                           "\xF4\x90\x80\x80",
                                           "\xE4\xB8",
                                           "\xF8\x88\x80\x80\x80"};
        return kBad[Pick(0, sizeof kBad / sizeof kBad[0] - 1)];
    }

    void DeclareEncoding(Bytes& text) {
        static const char* const kNames[] = {"GB2312", "GBK",          "Big5",       "Shift_JIS",
                                             "UTF-16", "windows-1251", "ISO-8859-1", "x-unknown"};
        Bytes declaration = Bytes("<?xml version=\"1.0\" encoding=\"") +
                            kNames[Pick(0, sizeof kNames / sizeof kNames[0] - 1)] + "\"?>";
        if (text.compare(0, 5, "<?xml") == 0) text.erase(0, text.find('>') + 1);
        text.insert(0, declaration);
    }

    std::mt19937 random_;
};

using MemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);

SIZE_T PeakMemory() {
    static HMODULE psapi = LoadLibraryW(L"psapi.dll");
    auto query = psapi ? reinterpret_cast<MemoryInfoFunction>(
                             reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")))
                       : nullptr;
    PROCESS_MEMORY_COUNTERS counters = {sizeof counters};
    if (!query || !query(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakPagefileUsage;
}

std::set<std::wstring> FolderFiles(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// Ends the process when one parse outlives the limit: a hang must fail the
// run, not stall it.
class HangWatch {
public:
    HangWatch() { thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr); }
    ~HangWatch() {
        InterlockedExchange(&done_, 1);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    void Start(int variant) {
        InterlockedExchange(&variant_, variant);
        InterlockedExchange(&started_, static_cast<LONG>(GetTickCount()));
    }

private:
    static DWORD WINAPI Watch(void* self) {
        auto* watch = static_cast<HangWatch*>(self);
        while (!watch->done_) {
            Sleep(100);
            DWORD started = static_cast<DWORD>(watch->started_);
            if (started && GetTickCount() - started > 4 * kFileLimitMs) {
                printf("target: ParseFeedFile hangs on variant %ld\n", watch->variant_);
                fflush(stdout);
                ExitProcess(3);
            }
        }
        return 0;
    }

    HANDLE thread_ = nullptr;
    volatile LONG done_ = 0;
    volatile LONG started_ = 0;
    volatile LONG variant_ = 0;
};

TEST(ParserFuzzTest, MutatedFeedsNeitherCrashNorHangNorWriteElsewhere) {
    ClearDataFolder();
    std::wstring dataFolder = DataFile(L"");
    wchar_t tempFolder[MAX_PATH];
    GetTempPathW(MAX_PATH, tempFolder);
    std::vector<Bytes> sources;
    for (const char* name : kFixtures) {
        sources.push_back(ReadBytes(SourcePath(std::string("tests/data/feeds/") + name)));
        ASSERT_FALSE(sources.back().empty()) << name;
    }
    ScratchFile input;
    std::set<std::wstring> tempBefore = FolderFiles(tempFolder);
    const std::set<std::wstring> allowed = {L"-900.txt", L"-900_temp.txt"};

    Mutator mutator(20261208);
    int failed = 0;
    int parsed = 0;
    DWORD slowest = 0;
    DWORD began = GetTickCount();
    {
        HangWatch watch;
        for (int variant = 0; variant < kVariants; ++variant) {
            // Deep nesting and huge values are costly: fewer of them.
            static const int kCheapKinds[] = {0, 1, 2, 3, 8, 9, 10, 11};
            int roll = static_cast<int>(mutator.Pick(0, 99));
            int kind = roll < 2    ? 6
                       : roll < 5  ? 4
                       : roll < 8  ? 5
                       : roll < 11 ? 7
                                   : kCheapKinds[roll % 8];
            WriteBytes(input.Path(), mutator.Derive(sources[variant % sources.size()], kind));
            watch.Start(variant);
            DWORD start = GetTickCount();
            parsed += ParseFeedFile(input.Path(), kCacheNumber);
            DWORD took = GetTickCount() - start;
            if (took > slowest) slowest = took;
            bool bad = took > kFileLimitMs;
            for (const std::wstring& name : FolderFiles(dataFolder))
                if (!allowed.count(name)) bad = true;
            if (bad) {
                ++failed;
                printf("variant %d (kind %d) failed after %lu ms\n", variant, kind,
                       static_cast<unsigned long>(took));
            }
        }
        watch.Start(-1);
    }
    std::set<std::wstring> tempAfter = FolderFiles(tempFolder);
    for (const std::wstring& name : tempAfter)
        if (!tempBefore.count(name)) ++failed;
    SIZE_T peak = PeakMemory();
    if (peak > kMemoryLimit) ++failed;

    printf(
        "target: ParseFeedFile %d tried, %d failed (%d parsed, slowest %lu ms, %lu s, peak %lu "
        "MiB)\n",
        kVariants, failed, parsed, static_cast<unsigned long>(slowest),
        static_cast<unsigned long>((GetTickCount() - began) / 1000),
        static_cast<unsigned long>(peak >> 20));
    EXPECT_EQ(failed, 0);
    ClearDataFolder();
}

}  // namespace
