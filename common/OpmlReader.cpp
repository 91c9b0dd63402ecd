#include "common/OpmlReader.h"

#include <cstring>
#include <cwchar>
#include <cwctype>

#include "common/TextEncoding.h"

namespace {

// ---- decoding

bool StartsWithBytes(const std::string& bytes, const char* prefix, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

// The document as UTF-16: by its byte-order mark, by the look of UTF-16
// without one, else by its declared encoding (UTF-8 when none is declared or
// the name is unknown here).
std::wstring DecodeDocument(const std::string& bytes) {
    if (StartsWithBytes(bytes, "\xEF\xBB\xBF", 3))
        return DecodeText(bytes.data() + 3, bytes.size() - 3, CP_UTF8);
    if (StartsWithBytes(bytes, "\xFF\xFE", 2))
        return DecodeText(bytes.data() + 2, bytes.size() - 2, kCodePageUtf16Le);
    if (StartsWithBytes(bytes, "\xFE\xFF", 2))
        return DecodeText(bytes.data() + 2, bytes.size() - 2, kCodePageUtf16Be);
    if (StartsWithBytes(bytes, "<\0?\0", 4))
        return DecodeText(bytes.data(), bytes.size(), kCodePageUtf16Le);
    if (StartsWithBytes(bytes, "\0<\0?", 4))
        return DecodeText(bytes.data(), bytes.size(), kCodePageUtf16Be);
    UINT codePage = CodePageOfEncodingName(DeclaredEncoding(bytes));
    return DecodeText(bytes.data(), bytes.size(), codePage ? codePage : CP_UTF8);
}

// ---- characters

bool IsBlank(wchar_t ch) {
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

bool IsNameChar(wchar_t ch) {
    return !IsBlank(ch) && ch != L'/' && ch != L'>' && ch != L'<' && ch != L'=' && ch != L'"' &&
           ch != L'\'' && ch != L'&' && ch != L'\0';
}

bool SameName(const std::wstring& name, const wchar_t* wanted) {
    return _wcsicmp(name.c_str(), wanted) == 0;
}

// Appends code point to out as UTF-16; false for what XML does not allow.
bool AppendCodePoint(unsigned long code, std::wstring& out) {
    bool allowed = code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
                   (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
    if (allowed) AppendUtf16(code, out);
    return allowed;
}

// ---- the parser

// Walks the document once, start tag by end tag, keeping only the stack of
// open element names; outlines under opml/body are recorded as they open.
class OpmlParser {
public:
    OpmlParser(const std::wstring& text, std::vector<OpmlOutline>& outlines)
        : text_(text), outlines_(outlines) {}

    OpmlVerdict Run();

private:
    struct Attribute {
        std::wstring name;
        std::wstring value;
    };

    bool At(const wchar_t* literal) const {
        return text_.compare(pos_, std::wcslen(literal), literal) == 0;
    }
    // Moves past the next occurrence of end; false when there is none.
    bool SkipPast(const wchar_t* end);
    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }

    OpmlVerdict Markup();
    OpmlVerdict DocumentType();
    OpmlVerdict StartTag();
    OpmlVerdict EndTag();
    OpmlVerdict Text(size_t end);
    OpmlVerdict ReadName(std::wstring& name);
    OpmlVerdict ReadAttribute(Attribute& attribute);
    OpmlVerdict Decode(size_t begin, size_t end, bool attribute, std::wstring& out) const;
    void Record(const std::vector<Attribute>& attributes);

    const std::wstring& text_;
    std::vector<OpmlOutline>& outlines_;
    size_t pos_ = 0;
    std::vector<std::wstring> open_;
    bool rootSeen_ = false;
};

bool OpmlParser::SkipPast(const wchar_t* end) {
    size_t found = text_.find(end, pos_);
    if (found == std::wstring::npos) return false;
    pos_ = found + std::wcslen(end);
    return true;
}

OpmlVerdict OpmlParser::Run() {
    while (pos_ < text_.size()) {
        size_t next = text_.find(L'<', pos_);
        if (next == std::wstring::npos) next = text_.size();
        OpmlVerdict verdict = Text(next);
        if (verdict != OpmlVerdict::kRead) return verdict;
        pos_ = next;
        if (pos_ == text_.size()) break;
        verdict = Markup();
        if (verdict != OpmlVerdict::kRead) return verdict;
    }
    if (!rootSeen_ || !open_.empty()) return OpmlVerdict::kMalformed;
    return OpmlVerdict::kRead;
}

// Character data: only blanks outside the root; references must be ones XML
// defines even where the text itself is not wanted.
OpmlVerdict OpmlParser::Text(size_t end) {
    if (open_.empty()) {
        for (size_t i = pos_; i < end; ++i) {
            if (!IsBlank(text_[i])) return OpmlVerdict::kMalformed;
        }
        return OpmlVerdict::kRead;
    }
    std::wstring ignored;
    return Decode(pos_, end, false, ignored);
}

OpmlVerdict OpmlParser::Markup() {
    if (At(L"<!--")) return SkipPast(L"-->") ? OpmlVerdict::kRead : OpmlVerdict::kMalformed;
    if (At(L"<![CDATA[")) {
        if (open_.empty()) return OpmlVerdict::kMalformed;
        return SkipPast(L"]]>") ? OpmlVerdict::kRead : OpmlVerdict::kMalformed;
    }
    if (At(L"<!DOCTYPE")) return DocumentType();
    if (At(L"<!")) return OpmlVerdict::kMalformed;
    if (At(L"<?")) return SkipPast(L"?>") ? OpmlVerdict::kRead : OpmlVerdict::kMalformed;
    if (At(L"</")) return EndTag();
    return StartTag();
}

// A document type may name the root and an external subset, which is never
// read; an internal subset may not declare entities.
OpmlVerdict OpmlParser::DocumentType() {
    if (rootSeen_) return OpmlVerdict::kMalformed;
    size_t close = text_.find(L'>', pos_);
    size_t subset = text_.find(L'[', pos_);
    if (close == std::wstring::npos) return OpmlVerdict::kMalformed;
    if (subset == std::wstring::npos || subset > close) {
        pos_ = close + 1;
        return OpmlVerdict::kRead;
    }
    size_t subsetEnd = text_.find(L"]", subset);
    if (subsetEnd == std::wstring::npos) return OpmlVerdict::kMalformed;
    // Any declaration markup in the subset, looked at loosely: a list of
    // feeds has no use for one, and quoting tricks must not hide an entity.
    if (text_.find(L"<!ENTITY", subset) < subsetEnd || text_.find(L"%", subset) < subsetEnd)
        return OpmlVerdict::kEntities;
    pos_ = subsetEnd + 1;
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != L'>') return OpmlVerdict::kMalformed;
    ++pos_;
    return OpmlVerdict::kRead;
}

OpmlVerdict OpmlParser::ReadName(std::wstring& name) {
    size_t begin = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    if (pos_ == begin) return OpmlVerdict::kMalformed;
    name.assign(text_, begin, pos_ - begin);
    return OpmlVerdict::kRead;
}

OpmlVerdict OpmlParser::ReadAttribute(Attribute& attribute) {
    OpmlVerdict verdict = ReadName(attribute.name);
    if (verdict != OpmlVerdict::kRead) return verdict;
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != L'=') return OpmlVerdict::kMalformed;
    ++pos_;
    SkipBlanks();
    if (pos_ >= text_.size() || (text_[pos_] != L'"' && text_[pos_] != L'\''))
        return OpmlVerdict::kMalformed;
    wchar_t quote = text_[pos_++];
    size_t end = text_.find(quote, pos_);
    if (end == std::wstring::npos) return OpmlVerdict::kMalformed;
    verdict = Decode(pos_, end, true, attribute.value);
    pos_ = end + 1;
    return verdict;
}

OpmlVerdict OpmlParser::StartTag() {
    ++pos_;  // '<'
    std::wstring name;
    OpmlVerdict verdict = ReadName(name);
    if (verdict != OpmlVerdict::kRead) return verdict;
    if (open_.empty()) {
        if (rootSeen_) return OpmlVerdict::kMalformed;  // a second root
        rootSeen_ = true;
    }
    std::vector<Attribute> attributes;
    for (;;) {
        bool separated = pos_ < text_.size() && IsBlank(text_[pos_]);
        SkipBlanks();
        if (pos_ >= text_.size()) return OpmlVerdict::kMalformed;
        if (text_[pos_] == L'>' || At(L"/>")) break;
        if (!separated) return OpmlVerdict::kMalformed;
        attributes.emplace_back();
        verdict = ReadAttribute(attributes.back());
        if (verdict != OpmlVerdict::kRead) return verdict;
    }
    bool empty = text_[pos_] == L'/';
    pos_ += empty ? 2 : 1;
    open_.push_back(name);
    if (static_cast<int>(open_.size()) > kMaxOpmlNesting) return OpmlVerdict::kTooDeep;
    if (open_.size() == 1 && name != L"opml") return OpmlVerdict::kNotOpml;
    Record(attributes);
    if (empty) open_.pop_back();
    return OpmlVerdict::kRead;
}

OpmlVerdict OpmlParser::EndTag() {
    pos_ += 2;  // "</"
    std::wstring name;
    OpmlVerdict verdict = ReadName(name);
    if (verdict != OpmlVerdict::kRead) return verdict;
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != L'>') return OpmlVerdict::kMalformed;
    ++pos_;
    if (open_.empty() || open_.back() != name) return OpmlVerdict::kMalformed;
    open_.pop_back();
    return OpmlVerdict::kRead;
}

// Text from begin to end with its references replaced. Attribute values
// also turn literal line ends and tabs into spaces, as XML normalises them.
OpmlVerdict OpmlParser::Decode(size_t begin, size_t end, bool attribute, std::wstring& out) const {
    out.clear();
    for (size_t i = begin; i < end; ++i) {
        wchar_t ch = text_[i];
        if (ch == L'<' || ch == L'\0') return OpmlVerdict::kMalformed;
        if (ch != L'&') {
            out += attribute && IsBlank(ch) ? L' ' : ch;
            continue;
        }
        size_t semicolon = text_.find(L';', i);
        if (semicolon == std::wstring::npos || semicolon >= end) return OpmlVerdict::kMalformed;
        std::wstring name(text_, i + 1, semicolon - i - 1);
        i = semicolon;
        if (name == L"lt") {
            out += L'<';
        } else if (name == L"gt") {
            out += L'>';
        } else if (name == L"amp") {
            out += L'&';
        } else if (name == L"quot") {
            out += L'"';
        } else if (name == L"apos") {
            out += L'\'';
        } else if (name.size() > 1 && name[0] == L'#') {
            bool hex = name[1] == L'x';
            const wchar_t* digits = name.c_str() + (hex ? 2 : 1);
            wchar_t* stop = nullptr;
            unsigned long code = std::wcstoul(digits, &stop, hex ? 16 : 10);
            if (!*digits || *stop || !iswxdigit(*digits) || !AppendCodePoint(code, out))
                return OpmlVerdict::kMalformed;
        } else if (!name.empty() && IsNameChar(name[0]) && name[0] != L'#') {
            return OpmlVerdict::kEntities;
        } else {
            return OpmlVerdict::kMalformed;
        }
    }
    return OpmlVerdict::kRead;
}

// An outline element whose ancestors are opml, body and outlines only.
void OpmlParser::Record(const std::vector<Attribute>& attributes) {
    if (open_.size() < 3 || open_[1] != L"body" || open_.back() != L"outline") return;
    for (size_t level = 2; level + 1 < open_.size(); ++level) {
        if (open_[level] != L"outline") return;
    }
    OpmlOutline outline;
    outline.depth = static_cast<int>(open_.size()) - 3;
    std::wstring text;
    for (const Attribute& attribute : attributes) {
        if (SameName(attribute.name, L"title")) outline.title = attribute.value;
        if (SameName(attribute.name, L"text")) text = attribute.value;
        if (SameName(attribute.name, L"xmlUrl")) outline.xmlUrl = attribute.value;
        if (SameName(attribute.name, L"htmlUrl")) outline.htmlUrl = attribute.value;
    }
    if (outline.title.find_first_not_of(L' ') == std::wstring::npos) outline.title = text;
    outlines_.push_back(outline);
}

bool ReadFileBytes(const wchar_t* path, std::string& bytes, bool& tooLarge) {
    tooLarge = false;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) != FALSE;
    if (ok && size.QuadPart > kMaxOpmlBytes) {
        tooLarge = true;
        ok = false;
    }
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() ||
             (::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
              read == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

OpmlVerdict OpmlReader::ReadFile(const wchar_t* path) {
    outlines_.clear();
    std::string bytes;
    bool tooLarge = false;
    if (!ReadFileBytes(path, bytes, tooLarge))
        return tooLarge ? OpmlVerdict::kTooLarge : OpmlVerdict::kUnreadable;
    return ReadBytes(bytes);
}

OpmlVerdict OpmlReader::ReadBytes(const std::string& bytes) {
    outlines_.clear();
    if (bytes.size() > kMaxOpmlBytes) return OpmlVerdict::kTooLarge;
    return Parse(DecodeDocument(bytes));
}

OpmlVerdict OpmlReader::Parse(const std::wstring& text) {
    OpmlParser parser(text, outlines_);
    OpmlVerdict verdict = parser.Run();
    if (verdict != OpmlVerdict::kRead) outlines_.clear();
    return verdict;
}
