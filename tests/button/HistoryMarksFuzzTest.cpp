// Damaged read marks in "history.ini": seeded variants of the his and cn
// values of one subscription (cut, spliced, overlong, non-hexadecimal,
// negative, huge or non-numeric slots) against MarkItemRead and IsItemRead.
// After each mark the link reads as read, the slot stays in the ring, the
// value stays within the store's length, and the neighbour's marks are left
// alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "FeedTestSupport.h"
#include "feeds/ItemLinkHash.h"
#include "feeds/ReadMarks.h"
#include "feeds/StoreFile.h"
#include "support/FuzzRun.h"
#include "support/Mutator.h"

using namespace feedtest;

namespace {

constexpr int kVariants = 1500;

// Bytes as UTF-16 text an INI value can hold: no line breaks or NULs, and
// now and then a character outside the ANSI code page.
std::wstring ValueText(const Mutator::Bytes& bytes) {
    std::wstring text;
    for (unsigned char byte : bytes) {
        if (byte == 0 || byte == '\r' || byte == '\n') byte = '|';
        text += byte >= 0xF0 ? static_cast<wchar_t>(0x4E00 + byte) : static_cast<wchar_t>(byte);
    }
    return text;
}

std::wstring FullRing() {
    std::wstring marks;
    for (int k = 0; k < 15; ++k)
        marks += ItemLinkHash((L"http://example.org/" + std::to_wstring(k)).c_str());
    return marks;
}

std::wstring DamagedMarks(Mutator& mutator) {
    static const std::wstring ring = FullRing();
    std::string narrow(ring.begin(), ring.end());
    switch (mutator.Pick(0, 5)) {
        case 0:
            return L"";
        case 1:  // longer than any reader takes
            return ValueText(mutator.RandomBytes(mutator.Pick(250, 2500)));
        case 2:  // lower-case records
            for (char& ch : narrow) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
            return ValueText(mutator.Derive(narrow, Mutator::kCut));
        default:
            return ValueText(mutator.DeriveBytes(narrow));
    }
}

std::wstring DamagedSlot(Mutator& mutator) {
    static const wchar_t* const kSlots[] = {
        L"",   L"-1", L"15",  L"14",  L"7",  L"2147483647", L"-2147483648", L"99999999999999999999",
        L"x3", L" 4", L"0x5", L"1e3", L"+2", L"--1",        L"3.5",         L"\x4E00"};
    size_t pick = mutator.Pick(0, sizeof kSlots / sizeof kSlots[0]);
    if (pick < sizeof kSlots / sizeof kSlots[0]) return kSlots[pick];
    return ValueText(mutator.RandomBytes(mutator.Pick(1, 40)));
}

TEST(HistoryMarksFuzzTest, DamagedMarksStillRecordTheLinkInsideTheRing) {
    ClearDataFolder();
    std::wstring history = DataFile(L"history.ini");
    ASSERT_EQ(CreateUnicodeIniFile(history.c_str()), 1);
    const std::wstring neighbour = FullRing();
    WritePrivateProfileStringW(L"rss2", L"his", neighbour.c_str(), history.c_str());
    WritePrivateProfileStringW(L"rss2", L"cn", L"3", history.c_str());

    Mutator mutator(20261209);
    int failed = 0;
    DWORD began = GetTickCount();
    {
        HangWatch watch("MarkItemRead", 2 * kPatienceMs);
        for (int variant = 0; variant < kVariants; ++variant) {
            std::wstring marks = DamagedMarks(mutator);
            std::wstring slot = DamagedSlot(mutator);
            WritePrivateProfileStringW(L"rss1", L"his", marks.c_str(), history.c_str());
            WritePrivateProfileStringW(L"rss1", L"cn", slot.c_str(), history.c_str());
            // Now and then a link whose record is already among the marks.
            std::wstring link = L"http://example.org/" + std::to_wstring(mutator.Pick(0, 40));
            watch.Start(variant);
            bool wasRead = IsItemRead(history.c_str(), 1, link.c_str());
            std::wstring hisBefore = IniValue(history, L"rss1", L"his");
            std::wstring cnBefore = IniValue(history, L"rss1", L"cn");
            MarkItemRead(history.c_str(), 1, link.c_str());
            bool nowRead = IsItemRead(history.c_str(), 1, link.c_str());
            watch.Stop();

            std::wstring hisAfter = IniValue(history, L"rss1", L"his");
            std::wstring cnAfter = IniValue(history, L"rss1", L"cn");
            // A rewritten value fits the store; one that needed no change may
            // stay as long as it was.
            bool bad = !nowRead || (hisAfter != hisBefore && hisAfter.size() > kMaxValueLength);
            if (wasRead && hisBefore.size() <= kMaxValueLength)
                bad |= hisAfter != hisBefore || cnAfter != cnBefore;
            if (!wasRead) {
                wchar_t* end = nullptr;
                long next = wcstol(cnAfter.c_str(), &end, 10);
                bad |= end == cnAfter.c_str() || *end || next < 0 || next > 14;
            }
            bad |= IniValue(history, L"rss2", L"his") != neighbour ||
                   IniValue(history, L"rss2", L"cn") != L"3";
            if (bad) {
                ++failed;
                printf("variant %d: his \"%ls\" cn \"%ls\" -> his \"%ls\" cn \"%ls\", read %d\n",
                       variant, marks.c_str(), slot.c_str(), hisAfter.c_str(), cnAfter.c_str(),
                       nowRead);
            }
        }
    }
    ReportFuzzTarget("history.ini his/cn", kVariants, failed,
                     std::to_string((GetTickCount() - began) / 1000) + " s");
    EXPECT_EQ(failed, 0);
    ClearDataFolder();
}

}  // namespace
