#include "feeds/StoreFile.h"

#include <cwchar>
#include <vector>

std::wstring NumberedSection(const wchar_t* prefix, int number) {
    wchar_t name[32];
    swprintf(name, 32, L"%ls%d", prefix, number);
    return name;
}

std::wstring CleanIniValue(const std::wstring& value) {
    size_t length = value.size() < kMaxValueLength ? value.size() : kMaxValueLength;
    // A high surrogate whose partner was cut off would be an invalid character.
    if (length == kMaxValueLength && length < value.size() && IS_HIGH_SURROGATE(value[length - 1]))
        --length;
    std::wstring clean = value.substr(0, length);
    for (wchar_t& ch : clean) {
        if (ch < 0x20 || ch == 0x7F || ch == 0x2028 || ch == 0x2029) ch = L' ';
    }
    return clean;
}

int CreateUnicodeIniFile(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    static const BYTE kBom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    BOOL ok = WriteFile(file, kBom, sizeof kBom, &written, nullptr);
    CloseHandle(file);
    return ok && written == sizeof kBom ? 1 : 0;
}

void EnsureUnicodeIniFile(const wchar_t* path) {
    if (!FileExists(path)) CreateUnicodeIniFile(path);
}

bool FileExists(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsWritableFile(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::wstring ReadIniString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                           size_t maxLength, const wchar_t* fallback) {
    std::vector<wchar_t> buffer(maxLength + 1);
    DWORD length = GetPrivateProfileStringW(section, key, fallback, buffer.data(),
                                            static_cast<DWORD>(buffer.size()), file);
    return std::wstring(buffer.data(), length);
}

void WriteIniString(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                    const std::wstring& value) {
    WritePrivateProfileStringW(section, key, CleanIniValue(value).c_str(), file);
}

void WriteIniNumber(const wchar_t* file, const wchar_t* section, const wchar_t* key, long value) {
    wchar_t text[16];
    swprintf(text, 16, L"%ld", value);
    WritePrivateProfileStringW(section, key, text, file);
}

long ReadIniNumber(const wchar_t* file, const wchar_t* section, const wchar_t* key, long fallback) {
    std::wstring text = ReadIniString(file, section, key, 31);
    if (text.empty()) return fallback;
    wchar_t* end = nullptr;
    long value = wcstol(text.c_str(), &end, 10);
    return end == text.c_str() ? fallback : value;
}
