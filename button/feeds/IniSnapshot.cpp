#include "feeds/IniSnapshot.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "feeds/IniText.h"

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
}

// Narrows [begin, end) of text to leave out the blanks the profile
// functions drop around names and values.
void TrimBounds(const std::wstring& text, size_t& begin, size_t& end) {
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; };
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
}

std::wstring Key(const std::wstring& section, const std::wstring& key) {
    return Lower(section) + L'\n' + Lower(key);
}

}  // namespace

IniSnapshot::IniSnapshot(const std::wstring& path) : IniSnapshot(path, nullptr) {}

IniSnapshot::IniSnapshot(const std::wstring& path, SectionFilter keep) {
    IniText text;
    loaded_ = text.Load(path) && text.Existed();
    if (loaded_) Parse(text.Text(), keep);
}

IniSnapshot::IniSnapshot(const IniText& text) : loaded_(true) {
    Parse(text.Text());
}

// One pass over the text without copying its lines: the menu reads every
// cache and the whole list on each drop-down.
void IniSnapshot::Parse(const std::wstring& text, SectionFilter keep) {
    values_.reserve(text.size() / 32);
    std::wstring prefix = L"\n";  // the section's name in lower case, then '\n'
    bool kept = !keep || keep(std::wstring());
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        size_t begin = pos;
        pos = end + 1;
        TrimBounds(text, begin, end);
        if (begin == end || text[begin] == L';') continue;
        if (text[begin] == L'[') {
            size_t nameBegin = begin + 1;
            size_t nameEnd = text.find(L']', nameBegin);
            if (nameEnd > end) nameEnd = end;
            TrimBounds(text, nameBegin, nameEnd);
            std::wstring name = Lower(text.substr(nameBegin, nameEnd - nameBegin));
            kept = !keep || keep(name);
            prefix = name + L'\n';
            continue;
        }
        if (!kept) continue;
        size_t equals = text.find(L'=', begin);
        if (equals >= end) continue;
        size_t keyEnd = equals;
        size_t valueBegin = equals + 1;
        TrimBounds(text, begin, keyEnd);
        TrimBounds(text, valueBegin, end);
        std::wstring key = prefix + Lower(text.substr(begin, keyEnd - begin));
        values_.emplace(std::move(key), text.substr(valueBegin, end - valueBegin));
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
