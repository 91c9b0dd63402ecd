#include "feeds/ItemLinkHash.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {
constexpr int kMaxLinkBytes = 2083;

struct CrcTable {
    unsigned long entries[256];
    CrcTable() {
        for (unsigned long n = 0; n < 256; ++n) {
            unsigned long c = n;
            for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
    }
};

std::vector<unsigned char> AnsiBytes(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::vector<unsigned char> bytes(length);
    WideCharToMultiByte(CP_ACP, 0, text, -1, reinterpret_cast<char*>(bytes.data()), length, nullptr,
                        nullptr);
    bytes.resize(length - 1);
    if (bytes.size() > kMaxLinkBytes) bytes.resize(kMaxLinkBytes);
    return bytes;
}
}  // namespace

unsigned long Crc32(const unsigned char* data, size_t length) {
    static const CrcTable table;
    unsigned long crc = 0xFFFFFFFFUL;
    for (size_t i = 0; i < length; ++i) crc = table.entries[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return (crc ^ 0xFFFFFFFFUL) & 0xFFFFFFFFUL;
}

std::wstring ItemLinkHash(const wchar_t* link) {
    std::vector<unsigned char> bytes = AnsiBytes(link ? link : L"");
    wchar_t record[16];
    swprintf(record, 16, L"%08lX|", Crc32(bytes.data(), bytes.size()));
    return record;
}
