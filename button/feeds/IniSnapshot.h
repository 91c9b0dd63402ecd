#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class IniText;

// An INI file read once and looked up in memory, with the rules of the
// profile functions: names without regard to letter case, blanks around
// names and values dropped, the first of repeated keys wins. For readers
// that take many values of one file at once (the menu reads every cache),
// where each profile call would open and scan the file again.
class IniSnapshot {
public:
    // UTF-16LE with a byte-order mark, UTF-8 with one, else the ANSI code
    // page. A missing file reads as empty.
    explicit IniSnapshot(const std::wstring& path);
    // Only the sections for which keep (given the name in lower case) holds:
    // a reader of a few sections of a long file skips the others' keys.
    using SectionFilter = bool (*)(const std::wstring& section);
    IniSnapshot(const std::wstring& path, SectionFilter keep);
    // The same for a file's text already read.
    explicit IniSnapshot(const IniText& text);

    bool Loaded() const { return loaded_; }
    // The value cut to maxLength characters, or fallback when missing.
    std::wstring Get(const wchar_t* section, const wchar_t* key, const wchar_t* fallback = L"",
                     size_t maxLength = 259) const;
    // The leading decimal number of the value, fallback when there is none.
    long GetNumber(const wchar_t* section, const wchar_t* key, long fallback) const;
    // The highest n of the sections named prefix followed by n (n >= 1) that
    // hold a key, 0 when there is none: what a count in the file can truly
    // cover.
    long HighestNumberedSection(const wchar_t* prefix) const;

private:
    // Ranges of text_: the menu reads every cache on each drop-down, and a
    // string per name and value made the parse its largest cost.
    struct Range {
        size_t begin;
        size_t length;
    };
    struct Entry {
        Range section;
        Range key;
        Range value;
        uint32_t hash;
    };

    void Parse(SectionFilter keep);
    void Index();
    bool Matches(const Entry& entry, const wchar_t* section, const wchar_t* key) const;
    const Entry* Find(const wchar_t* section, const wchar_t* key) const;

    bool loaded_ = false;
    std::wstring text_;
    std::vector<Entry> entries_;
    // Open addressing over entries_: an entry's index plus one, 0 when free.
    std::vector<uint32_t> slots_;
};
