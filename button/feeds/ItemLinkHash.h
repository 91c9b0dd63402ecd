#pragma once
#include <string>

// CRC-32 (IEEE 802.3, reflected 0xEDB88320) of bytes.
unsigned long Crc32(const unsigned char* data, size_t length);

// The read-mark record of an item link: the CRC-32 of the link in the ANSI
// code page (cut to 2083 bytes), written "%08X|". The ANSI form keeps the marks
// of existing "history.ini" files valid.
std::wstring ItemLinkHash(const wchar_t* link);
