#pragma once
#include <windows.h>

#include <string>

// Text encodings of documents: the names they declare, the Windows code
// pages that read them, and decoding. Shared by the feed parser and the OPML
// reader.

// UTF-16 in either byte order, as DecodeText takes them.
constexpr UINT kCodePageUtf16Le = 1200;
constexpr UINT kCodePageUtf16Be = 1201;

// The encoding pseudo-attribute of the XML declaration near the start of
// head, or "" when there is none.
std::string DeclaredEncoding(const std::string& head);

// The Windows code page of an encoding name ("Big5", "ISO-8859-5",
// "windows-1251", ...), or 0 for UTF-8, an empty name and names this system
// cannot convert from.
UINT CodePageOfEncodingName(const std::string& name);

// The bytes decoded from codePage (CP_UTF8, a Windows code page or one of
// the UTF-16 pages above; no byte-order mark expected). Bytes that do not
// decode become U+FFFD.
std::wstring DecodeText(const char* bytes, size_t length, UINT codePage);

// Appends a code point (at most 0x10FFFF, no surrogate) as UTF-16.
void AppendUtf16(unsigned long code, std::wstring& out);

// UTF-16 text as UTF-8, and back; "" for null or empty text.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const char* text);
