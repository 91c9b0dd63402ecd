#pragma once
#include <windows.h>

#include <string>

// Small helpers shared by the store, the read marks and the cache writer:
// everything that decides how a value or a file looks on disk.

// Longest value kept in any store or cache file, in UTF-16 code units.
constexpr size_t kMaxValueLength = 259;

// "rss" followed by the number: the section of subscription n in "rss.ini",
// "history.ini" and, as "item" + k, in a feed cache.
std::wstring NumberedSection(const wchar_t* prefix, int number);

// The value as it may be written into an INI file: control characters
// (CR and LF above all, which would start new lines and could forge sections
// and keys) become spaces, and the text is cut to kMaxValueLength without
// splitting a surrogate pair.
std::wstring CleanIniValue(const std::wstring& value);

// Creates (or truncates) path as an empty UTF-16LE file with a byte-order mark,
// so that the profile functions keep writing it in UTF-16. 1 on success.
int CreateUnicodeIniFile(const wchar_t* path);

// Creates path like CreateUnicodeIniFile when it does not exist yet; an
// existing file keeps its encoding.
void EnsureUnicodeIniFile(const wchar_t* path);

bool FileExists(const wchar_t* path);

// True when path exists and can be opened for writing now (not read-only,
// not locked by another process).
bool IsWritableFile(const wchar_t* path);

// Profile reads and writes with the conventions of the store: missing keys read
// as the default, written values go through CleanIniValue.
std::wstring ReadIniString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                           size_t maxLength = kMaxValueLength, const wchar_t* fallback = L"");
void WriteIniString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                    const std::wstring& value);
void WriteIniNumber(const wchar_t* file, const wchar_t* section, const wchar_t* key, long value);
// The value of key as a signed decimal number, or fallback when it is missing
// or not a number.
long ReadIniNumber(const wchar_t* file, const wchar_t* section, const wchar_t* key, long fallback);
