#include "common/TextEncoding.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {
// The declaration is the first thing in a document; this much holds it.
constexpr size_t kDeclarationProbeLength = 256;
constexpr UINT kGbk = 936;
constexpr UINT kGb18030 = 54936;

std::string Lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

struct NamedCodePage {
    const char* name;
    UINT codePage;
};

// Names documents use for encodings Windows knows under another number.
// Latin-1 is read as its superset windows-1252, as browsers do.
const NamedCodePage kNamedCodePages[] = {
    {"gb2312", 936},       {"gbk", 936},           {"x-gbk", 936},          {"euc-cn", 936},
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
}  // namespace

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

std::wstring DecodeText(const char* bytes, size_t length, UINT codePage) {
    if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) {
        std::wstring text(length / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i) {
            auto first = static_cast<unsigned char>(bytes[2 * i]);
            auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
            text[i] = codePage == kCodePageUtf16Be ? static_cast<wchar_t>(first << 8 | second)
                                                   : static_cast<wchar_t>(second << 8 | first);
        }
        return text;
    }
    int size = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), nullptr, 0);
    std::wstring text(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), &text[0], size);
    return text;
}

void AppendUtf16(unsigned long code, std::wstring& out) {
    if (code < 0x10000) {
        out += static_cast<wchar_t>(code);
    } else {
        code -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (code >> 10));
        out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    }
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                            nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const char* text) {
    if (!text || !*text) return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(size > 1 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, &out[0], size);
    return out;
}
