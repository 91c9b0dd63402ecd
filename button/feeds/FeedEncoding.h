#pragma once
#include <windows.h>

#include <string>

#include "common/TextEncoding.h"

// Feed documents reach the parser as UTF-8. Documents in a legacy encoding (or
// UTF-16 with a byte-order mark) are converted once, to UTF-8 with a BOM; the
// BOM then marks them as converted.

// The code page a document must be converted from, or 0 when it is read as it
// is (UTF-8 with or without BOM, or an encoding Windows does not know).
// GBK/GB2312 named in the first 40 bytes always mean code page 936.
UINT FeedSourceCodePage(const std::string& head);

// Converts the text from codePage to UTF-8 with a BOM, cut after its last ">".
// False, with text unchanged, when there is no ">" to cut at.
bool ConvertFeedTextToUtf8(std::string& text, UINT codePage);

// Rewrites a GBK/GB2312 file (code page 936) as UTF-8 with a BOM. 1 when the
// file was rewritten; 0 when it cannot be read or written or has no ">".
int ConvertGbFeedToUtf8(const wchar_t* file);

// Opens path for reading as every reader of feeds, caches and the store does:
// sharing reading, writing and deleting, so that a reader never stops a
// refresh from replacing the file. INVALID_HANDLE_VALUE when it cannot.
HANDLE OpenToRead(const wchar_t* path);

// Whole-file reads and writes used by the conversion and the store's readers.
bool ReadWholeFile(const wchar_t* path, std::string& bytes);
bool WriteWholeFile(const wchar_t* path, const std::string& bytes);
