#pragma once
// Item dates as feeds write them: RFC 822 (RSS 2.0 pubDate) and ISO 8601
// (Atom, Dublin Core dc:date in RSS 1.0). Stamps are UTC FILETIME values.
#include <windows.h>
#include <string>

// 0 when the text is no date of either form.
ULONGLONG ParseFeedDate(const std::wstring& text);

// "YYYY-MM-DD HH:MM" in local time.
std::wstring FormatFeedDate(ULONGLONG stamp);

ULONGLONG CurrentStamp();
