#include "engine/ChannelDate.h"

#include <cwchar>
#include <cwctype>

namespace {

constexpr LONGLONG kTicksPerMinute = 60LL * 10000000LL;

const wchar_t* const kMonths[] = {L"jan", L"feb", L"mar", L"apr", L"may", L"jun",
                                  L"jul", L"aug", L"sep", L"oct", L"nov", L"dec"};

struct ZoneName {
    const wchar_t* name;
    int minutes;
};

const ZoneName kZones[] = {
    {L"gmt", 0},       {L"ut", 0},        {L"utc", 0},       {L"z", 0},
    {L"est", -5 * 60}, {L"edt", -4 * 60}, {L"cst", -6 * 60}, {L"cdt", -5 * 60},
    {L"mst", -7 * 60}, {L"mdt", -6 * 60}, {L"pst", -8 * 60}, {L"pdt", -7 * 60},
};

// Reads up to maxDigits digits at text[pos]; false when there are none.
bool ReadNumber(const std::wstring& text, size_t& pos, size_t maxDigits, int& value) {
    size_t start = pos;
    value = 0;
    while (pos < text.size() && pos - start < maxDigits && std::iswdigit(text[pos]))
        value = value * 10 + (text[pos++] - L'0');
    return pos > start;
}

bool Expect(const std::wstring& text, size_t& pos, wchar_t ch) {
    if (pos >= text.size() || text[pos] != ch) return false;
    ++pos;
    return true;
}

void SkipBlanks(const std::wstring& text, size_t& pos) {
    while (pos < text.size() && (std::iswspace(text[pos]) || text[pos] == L',')) ++pos;
}

std::wstring ReadWord(const std::wstring& text, size_t& pos) {
    std::wstring word;
    while (pos < text.size() && std::iswalpha(text[pos]))
        word += static_cast<wchar_t>(std::towlower(text[pos++]));
    return word;
}

// "+0800", "-05:00", "Z", "GMT", ... as minutes east of UTC; absent is UTC.
bool ReadZone(const std::wstring& text, size_t& pos, int& minutes) {
    minutes = 0;
    SkipBlanks(text, pos);
    if (pos >= text.size()) return true;
    if (text[pos] == L'+' || text[pos] == L'-') {
        int sign = text[pos++] == L'-' ? -1 : 1;
        int hours = 0;
        int mins = 0;
        if (!ReadNumber(text, pos, 2, hours)) return false;
        Expect(text, pos, L':');
        ReadNumber(text, pos, 2, mins);
        minutes = sign * (hours * 60 + mins);
        return true;
    }
    std::wstring word = ReadWord(text, pos);
    for (const ZoneName& zone : kZones) {
        if (word == zone.name) {
            minutes = zone.minutes;
            return true;
        }
    }
    return false;
}

bool ReadTime(const std::wstring& text, size_t& pos, SYSTEMTIME& time) {
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!ReadNumber(text, pos, 2, hour) || !Expect(text, pos, L':') ||
        !ReadNumber(text, pos, 2, minute))
        return false;
    if (Expect(text, pos, L':')) ReadNumber(text, pos, 2, second);
    if (Expect(text, pos, L'.')) {
        int fraction = 0;
        ReadNumber(text, pos, 9, fraction);
    }
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return true;
}

ULONGLONG ToStamp(const SYSTEMTIME& time, int zoneMinutes) {
    FILETIME file;
    if (!SystemTimeToFileTime(&time, &file)) return 0;
    ULARGE_INTEGER value;
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    return value.QuadPart - static_cast<LONGLONG>(zoneMinutes) * kTicksPerMinute;
}

// 2003-12-13T18:30:02.25+01:00, 2003-12-13 18:30Z, 2003-12-13
ULONGLONG ParseIso(const std::wstring& text) {
    SYSTEMTIME time = {};
    size_t pos = 0;
    SkipBlanks(text, pos);
    int year = 0;
    int month = 0;
    int day = 0;
    size_t start = pos;
    if (!ReadNumber(text, pos, 4, year) || pos - start != 4 || !Expect(text, pos, L'-') ||
        !ReadNumber(text, pos, 2, month) || !Expect(text, pos, L'-') ||
        !ReadNumber(text, pos, 2, day))
        return 0;
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    int zone = 0;
    if (pos < text.size() && (text[pos] == L'T' || text[pos] == L't' || text[pos] == L' ')) {
        ++pos;
        if (!ReadTime(text, pos, time) || !ReadZone(text, pos, zone)) return 0;
    }
    return ToStamp(time, zone);
}

// Sat, 07 Sep 2002 00:00:01 GMT; 7 Sep 02 00:00 +0800
ULONGLONG ParseRfc822(const std::wstring& text) {
    SYSTEMTIME time = {};
    size_t pos = 0;
    SkipBlanks(text, pos);
    if (pos < text.size() && std::iswalpha(text[pos])) {
        ReadWord(text, pos);  // the day of the week says nothing more
        SkipBlanks(text, pos);
    }
    int day = 0;
    int year = 0;
    if (!ReadNumber(text, pos, 2, day)) return 0;
    SkipBlanks(text, pos);
    std::wstring month = ReadWord(text, pos).substr(0, 3);
    for (int i = 0; i < 12; ++i) {
        if (month == kMonths[i]) time.wMonth = static_cast<WORD>(i + 1);
    }
    SkipBlanks(text, pos);
    size_t start = pos;
    if (!time.wMonth || !ReadNumber(text, pos, 4, year)) return 0;
    if (pos - start == 2) year += year < 50 ? 2000 : 1900;
    time.wYear = static_cast<WORD>(year);
    time.wDay = static_cast<WORD>(day);
    SkipBlanks(text, pos);
    int zone = 0;
    if (!ReadTime(text, pos, time) || !ReadZone(text, pos, zone)) return 0;
    return ToStamp(time, zone);
}

}  // namespace

ULONGLONG ParseFeedDate(const std::wstring& text) {
    ULONGLONG stamp = ParseIso(text);
    return stamp ? stamp : ParseRfc822(text);
}

std::wstring FormatFeedDate(ULONGLONG stamp) {
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(stamp);
    utc.dwHighDateTime = static_cast<DWORD>(stamp >> 32);
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time))
        return std::wstring();
    wchar_t text[32];
    wsprintfW(text, L"%04u-%02u-%02u %02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
              time.wMinute);
    return text;
}

ULONGLONG CurrentStamp() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}
