// Mutated feed files against ParseFeedFile: a fixed seed derives variants of
// the parser fixtures (bit flips, cuts, duplicated and deleted spans, huge
// values, deep nesting, many items, invalid UTF-8, unused encodings, NUL
// bytes). Each must parse or fail without crashing or hanging, without
// writing outside its own cache files and with memory bounded.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "FeedTestSupport.h"
#include "feeds/FeedParser.h"
#include "support/FuzzRun.h"
#include "support/Mutator.h"

using namespace feedtest;

namespace {

const int kVariants = FuzzRounds(10000);
constexpr int kCacheNumber = -900;
constexpr SIZE_T kMemoryLimit = 512u << 20;

const char* const kFixtures[] = {"rss20.xml",        "atom10.xml",      "rss10.xml",
                                 "gb2312.xml",       "utf8_bom.xml",    "utf16le.xml",
                                 "numeric_refs.xml", "blank_title.xml", "missing_item_link.xml",
                                 "big5.xml",         "atom03.xml",      "rss091.xml"};

using Bytes = Mutator::Bytes;

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
        HangWatch watch("ParseFeedFile", 2 * kPatienceMs);
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
            bool bad = false;
            for (const std::wstring& name : FolderFiles(dataFolder))
                if (!allowed.count(name)) bad = true;
            if (bad) {
                ++failed;
                printf("variant %d (kind %d) failed after %lu ms\n", variant, kind,
                       static_cast<unsigned long>(took));
            }
        }
        watch.Stop();
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
