#include "feeds/ReadMarks.h"

#include <windows.h>

#include <string>

#include "feeds/ItemLinkHash.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"

namespace {
constexpr int kSlots = 15;
constexpr size_t kRecordLength = 9;
constexpr size_t kMaxMarksReadLength = 2083;

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool ContainsRecord(const std::wstring& marks, const std::wstring& record) {
    return Upper(marks).find(Upper(record)) != std::wstring::npos;
}
}  // namespace

void MarkItemRead(const wchar_t* historyIni, int number, const wchar_t* link) {
    std::wstring record = ItemLinkHash(link);
    StoreLock lock;
    std::wstring section = NumberedSection(L"rss", number);
    long slot = ReadIniNumber(historyIni, section.c_str(), L"cn", 0);
    // A slot out of range (a damaged file) restarts the ring.
    if (slot < 0 || slot >= kSlots) slot = 0;
    std::wstring marks = ReadIniString(historyIni, section.c_str(), L"his");
    if (ContainsRecord(marks, record)) return;

    size_t start = static_cast<size_t>(slot) * kRecordLength;
    if (static_cast<long>(marks.size()) - 1 < static_cast<long>(start) || start > marks.size())
        marks += record;
    else
        marks.replace(start, kRecordLength, record);

    EnsureUnicodeIniFile(historyIni);
    WriteIniString(historyIni, section.c_str(), L"his", marks);
    WriteIniNumber(historyIni, section.c_str(), L"cn", (slot + 1) % kSlots);
}

bool IsItemRead(const wchar_t* historyIni, int number, const wchar_t* link) {
    std::wstring marks = ReadIniString(historyIni, NumberedSection(L"rss", number).c_str(), L"his",
                                       kMaxMarksReadLength);
    return !marks.empty() && ContainsRecord(marks, ItemLinkHash(link));
}
