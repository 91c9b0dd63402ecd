#include "web/UrlCoding.h"

#include <string>

namespace {
constexpr int kMaxBytes = 4168;
constexpr size_t kMaxCodedLength = kMaxBytes - 1;

bool ToCodePage(const wchar_t* text, UINT codePage, std::string& bytes) {
    char buffer[kMaxBytes];
    int length = WideCharToMultiByte(codePage, 0, text, -1, buffer, kMaxBytes, nullptr, nullptr);
    if (length <= 0) return false;
    bytes.assign(buffer, length - 1);
    return true;
}

// Converts bytes into out, cut to what the capacity holds; false when cut.
bool FromCodePage(const std::string& bytes, UINT codePage, wchar_t* out, int capacity) {
    int length =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    if (length)
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                            length);
    bool fits = length + 1 <= capacity;
    size_t kept = fits ? wide.size() : static_cast<size_t>(capacity - 1);
    wide.copy(out, kept);
    out[kept] = L'\0';
    return fits;
}

bool IsKept(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '_';
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

UINT ResolveCodePage(UINT codePage) {
    return codePage ? codePage : GetACP();
}
}  // namespace

bool UrlEncode(const wchar_t* text, wchar_t* out, int capacity, UINT codePage) {
    if (!text || !out || capacity < 2) return false;
    codePage = ResolveCodePage(codePage);
    std::string bytes;
    if (!ToCodePage(text, codePage, bytes)) return false;

    static const char kHex[] = "0123456789abcdef";
    std::string coded;
    bool complete = true;
    bool pairOpen = false;  // the last escape began a double-byte character
    for (unsigned char byte : bytes) {
        size_t room = kMaxCodedLength - coded.size();
        if (IsKept(byte)) {
            if (room < 1) {
                complete = false;
                break;
            }
            coded += static_cast<char>(byte);
            pairOpen = false;
            continue;
        }
        // An escape that may begin a pair keeps room for its second byte.
        if (room < (pairOpen ? 3u : 6u)) {
            complete = false;
            break;
        }
        coded += '%';
        coded += kHex[byte >> 4];
        coded += kHex[byte & 15];
        pairOpen = !pairOpen && (byte & 0x80);
    }
    bool fits = FromCodePage(coded, codePage, out, capacity);
    return complete && fits;
}

bool UrlDecode(const wchar_t* text, wchar_t* out, int capacity, UINT codePage) {
    if (!text || !out || capacity < 2) return false;
    codePage = ResolveCodePage(codePage);
    std::string bytes;
    if (!ToCodePage(text, codePage, bytes)) return false;

    std::string decoded;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (decoded.size() >= kMaxCodedLength) return false;
        char ch = bytes[i];
        // A "%" without two hexadecimal digits after it stays as it is.
        if (ch == '%' && i + 1 < bytes.size()) {
            int high = HexValue(bytes[i + 1]);
            int low = i + 2 < bytes.size() ? HexValue(bytes[i + 2]) : -1;
            if (high >= 0 && low >= 0) {
                decoded += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        decoded += ch == '+' ? ' ' : ch;
    }
    int length = MultiByteToWideChar(codePage, 0, decoded.data(), static_cast<int>(decoded.size()),
                                     nullptr, 0);
    if (length + 1 > capacity) return false;
    FromCodePage(decoded, codePage, out, capacity);
    return true;
}
