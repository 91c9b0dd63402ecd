#include "feeds/IniSnapshot.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "feeds/FeedEncoding.h"

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
}

std::wstring Trim(const std::wstring& text) {
    size_t begin = text.find_first_not_of(L" \t\r");
    if (begin == std::wstring::npos) return std::wstring();
    size_t end = text.find_last_not_of(L" \t\r");
    return text.substr(begin, end - begin + 1);
}

std::wstring Key(const std::wstring& section, const std::wstring& key) {
    return Lower(section) + L'\n' + Lower(key);
}

std::wstring Decode(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                            (bytes.size() - 2) / sizeof(wchar_t));
    }
    UINT codePage = CP_ACP;
    size_t skip = 0;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        codePage = CP_UTF8;
        skip = 3;
    }
    int length = static_cast<int>(bytes.size() - skip);
    if (length <= 0) return std::wstring();
    int size = MultiByteToWideChar(codePage, 0, bytes.data() + skip, length, nullptr, 0);
    std::wstring text(size, L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data() + skip, length, &text[0], size);
    return text;
}

}  // namespace

IniSnapshot::IniSnapshot(const std::wstring& path) {
    std::string bytes;
    loaded_ = ReadWholeFile(path.c_str(), bytes);
    if (loaded_) Parse(Decode(bytes));
}

void IniSnapshot::Parse(const std::wstring& text) {
    std::wstring section;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            size_t close = line.find(L']');
            section =
                Trim(line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
            continue;
        }
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        values_.emplace(Key(section, Trim(line.substr(0, equals))), Trim(line.substr(equals + 1)));
    }
}

std::wstring IniSnapshot::Get(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                              size_t maxLength) const {
    auto found = values_.find(Key(section, key));
    std::wstring value = found == values_.end() ? std::wstring(fallback) : found->second;
    // The profile functions drop one pair of quotes around a value.
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > maxLength) value.resize(maxLength);
    return value;
}

long IniSnapshot::GetNumber(const wchar_t* section, const wchar_t* key, long fallback) const {
    std::wstring value = Get(section, key, L"");
    if (value.empty()) return fallback;
    wchar_t* end = nullptr;
    long number = wcstol(value.c_str(), &end, 10);
    return end == value.c_str() ? fallback : number;
}

long IniSnapshot::HighestNumberedSection(const wchar_t* prefix) const {
    std::wstring lowered = Lower(prefix);
    long highest = 0;
    for (const auto& entry : values_) {
        const std::wstring& name = entry.first;
        if (name.compare(0, lowered.size(), lowered) != 0) continue;
        const wchar_t* digits = name.c_str() + lowered.size();
        if (!iswdigit(*digits)) continue;
        wchar_t* end = nullptr;
        long number = wcstol(digits, &end, 10);
        if (end != digits && *end == L'\n' && number > highest) highest = number;
    }
    return highest;
}
