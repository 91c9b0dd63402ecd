#include "feeds/FeedEncoding.h"

#include <cctype>
#include <cstring>

namespace {
const char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr UINT kUtf16Le = kCodePageUtf16Le;
constexpr UINT kUtf16Be = kCodePageUtf16Be;
constexpr size_t kGbProbeLength = 40;

std::string Lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool NamesGb(const std::string& head) {
    std::string probe = Lower(head.substr(0, kGbProbeLength));
    return probe.find("gbk") != std::string::npos || probe.find("gb2312") != std::string::npos;
}

std::wstring DecodeCodePage(const std::string& bytes, UINT codePage) {
    // UTF-16 is recognised by its byte-order mark, which is not text.
    size_t skip = codePage == kUtf16Le || codePage == kUtf16Be ? 2 : 0;
    if (bytes.size() < skip) return std::wstring();
    return DecodeText(bytes.data() + skip, bytes.size() - skip, codePage);
}
}  // namespace

UINT FeedSourceCodePage(const std::string& head) {
    if (StartsWith(head, kUtf8Bom)) return 0;
    if (StartsWith(head, "\xFF\xFE")) return kUtf16Le;
    if (StartsWith(head, "\xFE\xFF")) return kUtf16Be;
    if (NamesGb(head)) return 936;
    return CodePageOfEncodingName(DeclaredEncoding(head));
}

bool ConvertFeedTextToUtf8(std::string& text, UINT codePage) {
    std::wstring wide = DecodeCodePage(text, codePage);
    size_t last = wide.rfind(L'>');
    if (last == std::wstring::npos) return false;
    text = kUtf8Bom + ToUtf8(wide.substr(0, last + 1));
    return true;
}

int ConvertGbFeedToUtf8(const wchar_t* file) {
    std::string text;
    if (!ReadWholeFile(file, text) || !ConvertFeedTextToUtf8(text, 936)) return 0;
    return WriteWholeFile(file, text) ? 1 : 0;
}

HANDLE OpenToRead(const wchar_t* path) {
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool ReadWholeFile(const wchar_t* path, std::string& bytes) {
    HANDLE file = OpenToRead(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() ||
             (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
              read == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const wchar_t* path, const std::string& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}
