#include "feeds/IniSnapshot.h"

#include <windows.h>

#include <climits>
#include <cwchar>
#include <cwctype>
#include <string>

#include "feeds/IniText.h"

namespace {

wchar_t LowerChar(wchar_t c) {
    if (c < 0x80) return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
    return static_cast<wchar_t>(towlower(c));
}

// FNV-1a over the lower-case characters.
uint32_t HashLower(uint32_t hash, const wchar_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        hash ^= LowerChar(text[i]);
        hash *= 16777619u;
    }
    return hash;
}

constexpr uint32_t kHashSeed = 2166136261u;

uint32_t HashName(const wchar_t* section, size_t sectionLength, const wchar_t* key,
                  size_t keyLength) {
    uint32_t hash = HashLower(kHashSeed, section, sectionLength);
    hash = HashLower(hash, L"\n", 1);
    return HashLower(hash, key, keyLength);
}

bool SameLower(const wchar_t* a, const wchar_t* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    }
    return true;
}

// a of length against the terminated b.
bool SameLowerTerminated(const wchar_t* a, size_t length, const wchar_t* b) {
    for (size_t i = 0; i < length; ++i) {
        if (!b[i] || LowerChar(a[i]) != LowerChar(b[i])) return false;
    }
    return b[length] == L'\0';
}

// Narrows [begin, end) of text to leave out the blanks the profile
// functions drop around names and values.
void TrimBounds(const std::wstring& text, size_t& begin, size_t& end) {
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; };
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
}

}  // namespace

IniSnapshot::IniSnapshot(const std::wstring& path) : IniSnapshot(path, nullptr) {}

IniSnapshot::IniSnapshot(const std::wstring& path, SectionFilter keep) {
    IniText text;
    loaded_ = text.Load(path) && text.Existed();
    if (!loaded_) return;
    text_ = text.TakeText();
    Parse(keep);
}

IniSnapshot::IniSnapshot(const IniText& text) : loaded_(true), text_(text.Text()) {
    Parse(nullptr);
}

// One pass over the text without copying its lines.
void IniSnapshot::Parse(SectionFilter keep) {
    const std::wstring& text = text_;
    entries_.reserve(text.size() / 32);
    Range section = {0, 0};
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
            section = {nameBegin, nameEnd - nameBegin};
            if (keep) {
                std::wstring name = text.substr(nameBegin, nameEnd - nameBegin);
                for (wchar_t& c : name) c = LowerChar(c);
                kept = keep(name);
            }
            continue;
        }
        if (!kept) continue;
        size_t equals = text.find(L'=', begin);
        if (equals >= end) continue;
        size_t keyEnd = equals;
        size_t valueBegin = equals + 1;
        TrimBounds(text, begin, keyEnd);
        TrimBounds(text, valueBegin, end);
        Range key = {begin, keyEnd - begin};
        uint32_t hash = HashName(text.data() + section.begin, section.length,
                                 text.data() + key.begin, key.length);
        entries_.push_back({section, key, {valueBegin, end - valueBegin}, hash});
    }
    Index();
}

void IniSnapshot::Index() {
    size_t size = 16;
    while (size < entries_.size() * 2) size *= 2;
    slots_.assign(size, 0);
    const wchar_t* text = text_.data();
    for (size_t index = 0; index < entries_.size(); ++index) {
        const Entry& entry = entries_[index];
        for (size_t slot = entry.hash & (size - 1);; slot = (slot + 1) & (size - 1)) {
            if (!slots_[slot]) {
                slots_[slot] = static_cast<uint32_t>(index + 1);
                break;
            }
            // The first of repeated keys wins.
            const Entry& held = entries_[slots_[slot] - 1];
            if (held.hash == entry.hash && held.section.length == entry.section.length &&
                held.key.length == entry.key.length &&
                SameLower(text + held.section.begin, text + entry.section.begin,
                          entry.section.length) &&
                SameLower(text + held.key.begin, text + entry.key.begin, entry.key.length))
                break;
        }
    }
}

bool IniSnapshot::Matches(const Entry& entry, const wchar_t* section, const wchar_t* key) const {
    const wchar_t* text = text_.data();
    return SameLowerTerminated(text + entry.section.begin, entry.section.length, section) &&
           SameLowerTerminated(text + entry.key.begin, entry.key.length, key);
}

const IniSnapshot::Entry* IniSnapshot::Find(const wchar_t* section, const wchar_t* key) const {
    if (slots_.empty()) return nullptr;
    uint32_t hash = HashName(section, wcslen(section), key, wcslen(key));
    size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask; slots_[slot]; slot = (slot + 1) & mask) {
        const Entry& entry = entries_[slots_[slot] - 1];
        if (entry.hash == hash && Matches(entry, section, key)) return &entry;
    }
    return nullptr;
}

std::wstring IniSnapshot::Get(const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
                              size_t maxLength) const {
    const Entry* found = Find(section, key);
    std::wstring value =
        found ? text_.substr(found->value.begin, found->value.length) : std::wstring(fallback);
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
    size_t prefixLength = wcslen(prefix);
    long highest = 0;
    for (const Entry& entry : entries_) {
        const wchar_t* name = text_.data() + entry.section.begin;
        size_t length = entry.section.length;
        if (length <= prefixLength || !SameLower(name, prefix, prefixLength)) continue;
        long number = 0;
        size_t i = prefixLength;
        for (; i < length && name[i] >= L'0' && name[i] <= L'9'; ++i) {
            int digit = name[i] - L'0';
            number = number > (LONG_MAX - digit) / 10 ? LONG_MAX : number * 10 + digit;
        }
        if (i == length && number > highest) highest = number;
    }
    return highest;
}
