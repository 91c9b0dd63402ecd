#include "feeds/FeedEncoding.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {
const char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr UINT kUtf16Le = 1200;
constexpr UINT kUtf16Be = 1201;
constexpr UINT kGbk = 936;
constexpr UINT kGb18030 = 54936;
constexpr size_t kGbProbeLength = 40;
constexpr size_t kDeclarationProbeLength = 256;

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

// The encoding pseudo-attribute of the XML declaration, or "".
std::string DeclaredEncoding(const std::string& head) {
    std::string probe = head.substr(0, kDeclarationProbeLength);
    size_t start = probe.find("<?xml");
    size_t end = probe.find("?>");
    if (start == std::string::npos || end == std::string::npos || end < start) return "";
    std::string declaration = probe.substr(start, end - start);
    size_t key = declaration.find("encoding");
    if (key == std::string::npos) return "";
    size_t quote = declaration.find_first_of("\"'", key);
    if (quote == std::string::npos) return "";
    size_t close = declaration.find(declaration[quote], quote + 1);
    if (close == std::string::npos) return "";
    return declaration.substr(quote + 1, close - quote - 1);
}

struct NamedCodePage {
    const char* name;
    UINT codePage;
};

// Names feeds use for encodings Windows knows under another number. Latin-1
// is read as its superset windows-1252, as browsers do.
const NamedCodePage kNamedCodePages[] = {
    {"gb2312", kGbk},      {"gbk", kGbk},          {"x-gbk", kGbk},         {"euc-cn", kGbk},
    {"gb18030", kGb18030}, {"big5", 950},          {"big5-hkscs", 950},     {"shift_jis", 932},
    {"shift-jis", 932},    {"sjis", 932},          {"x-sjis", 932},         {"windows-31j", 932},
    {"euc-jp", 20932},     {"euc-kr", 949},        {"ks_c_5601-1987", 949}, {"iso-8859-1", 1252},
    {"latin1", 1252},      {"iso-8859-2", 28592},  {"iso-8859-3", 28593},   {"iso-8859-4", 28594},
    {"iso-8859-5", 28595}, {"iso-8859-6", 28596},  {"iso-8859-7", 28597},   {"iso-8859-8", 28598},
    {"iso-8859-9", 28599}, {"iso-8859-13", 28603}, {"iso-8859-15", 28605},  {"koi8-r", 20866},
    {"koi8-u", 21866},     {"tis-620", 874},       {"iso-2022-jp", 50220},
};

// "windows-1251", "cp1251" and the like name their code page directly.
UINT NumberedCodePage(const std::string& name) {
    for (const char* prefix : {"windows-", "cp", "x-cp"}) {
        if (!StartsWith(name, prefix)) continue;
        const char* digits = name.c_str() + std::strlen(prefix);
        char* end = nullptr;
        unsigned long number = std::strtoul(digits, &end, 10);
        if (end != digits && *end == '\0') return static_cast<UINT>(number);
    }
    return 0;
}

std::string Utf16ToUtf8(const wchar_t* text, size_t length) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                   nullptr);
    std::string utf8(size, '\0');
    if (size)
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], size, nullptr,
                            nullptr);
    return utf8;
}

std::wstring DecodeUtf16(const std::string& bytes, bool bigEndian) {
    size_t start = bytes.size() >= 2 ? 2 : bytes.size();  // the byte-order mark
    std::wstring text((bytes.size() - start) / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char first = bytes[start + 2 * i];
        unsigned char second = bytes[start + 2 * i + 1];
        text[i] = bigEndian ? static_cast<wchar_t>(first << 8 | second)
                            : static_cast<wchar_t>(second << 8 | first);
    }
    return text;
}

std::wstring DecodeCodePage(const std::string& bytes, UINT codePage) {
    if (codePage == kUtf16Le || codePage == kUtf16Be)
        return DecodeUtf16(bytes, codePage == kUtf16Be);
    int size =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(size, L'\0');
    if (size)
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                            size);
    return text;
}
}  // namespace

UINT CodePageOfEncodingName(const std::string& name) {
    std::string key = Lower(name);
    if (key.empty() || key == "utf-8" || key == "utf8") return 0;
    UINT codePage = NumberedCodePage(key);
    for (const NamedCodePage& entry : kNamedCodePages) {
        if (key == entry.name) codePage = entry.codePage;
    }
    // Systems without GB18030 (XP without its support package, Wine) still
    // have GBK, its two-byte part, which covers the text of nearly every feed.
    if (codePage == kGb18030 && !IsValidCodePage(codePage)) codePage = kGbk;
    return codePage && IsValidCodePage(codePage) ? codePage : 0;
}

UINT FeedSourceCodePage(const std::string& head) {
    if (StartsWith(head, kUtf8Bom)) return 0;
    if (StartsWith(head, "\xFF\xFE")) return kUtf16Le;
    if (StartsWith(head, "\xFE\xFF")) return kUtf16Be;
    if (NamesGb(head)) return kGbk;
    return CodePageOfEncodingName(DeclaredEncoding(head));
}

bool ConvertFeedTextToUtf8(std::string& text, UINT codePage) {
    std::wstring wide = DecodeCodePage(text, codePage);
    size_t last = wide.rfind(L'>');
    if (last == std::wstring::npos) return false;
    text = kUtf8Bom + Utf16ToUtf8(wide.data(), last + 1);
    return true;
}

int ConvertGbFeedToUtf8(const wchar_t* file) {
    std::string text;
    if (!ReadWholeFile(file, text) || !ConvertFeedTextToUtf8(text, kGbk)) return 0;
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
