#include "engine/HtmlSanitizer.h"

#include "common/TextEncoding.h"
#include "engine/EngineFetch.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

struct Attribute {
    std::wstring name;   // lower case
    std::wstring value;  // entities decoded
};

struct Token {
    enum Kind { kText, kStart, kEnd };
    Kind kind = kText;
    std::wstring name;  // lower case
    std::wstring text;  // entities decoded
    std::vector<Attribute> attributes;
    bool selfClosing = false;
};

struct NamedEntity {
    const wchar_t* name;
    wchar_t value;
};

const NamedEntity kEntities[] = {
    {L"amp", L'&'},     {L"lt", L'<'},       {L"gt", L'>'},       {L"quot", L'"'},
    {L"apos", L'\''},   {L"nbsp", 0x00A0},   {L"copy", 0x00A9},   {L"reg", 0x00AE},
    {L"trade", 0x2122}, {L"hellip", 0x2026}, {L"mdash", 0x2014},  {L"ndash", 0x2013},
    {L"lsquo", 0x2018}, {L"rsquo", 0x2019},  {L"ldquo", 0x201C},  {L"rdquo", 0x201D},
    {L"laquo", 0x00AB}, {L"raquo", 0x00BB},  {L"middot", 0x00B7}, {L"bull", 0x2022},
    {L"deg", 0x00B0},   {L"times", 0x00D7},  {L"divide", 0x00F7}, {L"euro", 0x20AC},
    {L"pound", 0x00A3}, {L"yen", 0x00A5},    {L"cent", 0x00A2},   {L"sect", 0x00A7},
    {L"para", 0x00B6},  {L"ensp", 0x2002},   {L"emsp", 0x2003},   {L"thinsp", 0x2009},
};

// Elements whose content is no text for the reader, or is script.
const wchar_t* const kDroppedWithContent[] = {
    L"script",   L"style",  L"iframe",   L"frame",    L"frameset", L"object",
    L"embed",    L"applet", L"noscript", L"noframes", L"title",    L"head",
    L"textarea", L"select", L"xml",      L"svg",      L"math",     L"template",
};

const wchar_t* const kKept[] = {
    L"a",     L"b",  L"big",   L"blockquote", L"br",     L"caption", L"cite", L"code", L"dd",
    L"div",   L"dl", L"dt",    L"em",         L"h1",     L"h2",      L"h3",   L"h4",   L"h5",
    L"h6",    L"hr", L"i",     L"img",        L"kbd",    L"li",      L"ol",   L"p",    L"pre",
    L"q",     L"s",  L"small", L"span",       L"strike", L"strong",  L"sub",  L"sup",  L"table",
    L"tbody", L"td", L"tfoot", L"th",         L"thead",  L"tr",      L"tt",   L"u",    L"ul",
};

const wchar_t* const kVoid[] = {L"br", L"hr", L"img"};

const wchar_t* const kBlocks[] = {
    L"blockquote", L"br", L"dd", L"div", L"dl", L"dt",    L"h1", L"h2", L"h3", L"h4", L"h5",
    L"h6",         L"hr", L"li", L"ol",  L"p",  L"table", L"td", L"th", L"tr", L"ul",
};

// Attributes that carry no behaviour; everything else (on*, style, ...) goes.
const wchar_t* const kKeptAttributes[][2] = {
    {L"a", L"href"},     {L"a", L"title"},    {L"img", L"src"},    {L"img", L"alt"},
    {L"img", L"title"},  {L"img", L"width"},  {L"img", L"height"}, {L"td", L"colspan"},
    {L"td", L"rowspan"}, {L"th", L"colspan"}, {L"th", L"rowspan"},
};

constexpr size_t kMaxDepth = 64;

template <size_t N>
bool InList(const wchar_t* const (&list)[N], const std::wstring& name) {
    for (const wchar_t* entry : list) {
        if (name == entry) return true;
    }
    return false;
}

bool KeepsAttribute(const std::wstring& element, const std::wstring& attribute) {
    for (const auto& pair : kKeptAttributes) {
        if (element == pair[0] && attribute == pair[1]) return true;
    }
    return false;
}

bool IsKnownTag(const std::wstring& name) {
    return InList(kKept, name) || InList(kDroppedWithContent, name) || name == L"font" ||
           name == L"center" || name == L"nobr";
}

bool IsLinkAttribute(const std::wstring& name) {
    return name == L"href" || name == L"src";
}

bool IsNumberAttribute(const std::wstring& name) {
    return name == L"width" || name == L"height" || name == L"colspan" || name == L"rowspan";
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& ch : text) ch = static_cast<wchar_t>(std::towlower(ch));
    return text;
}

void AppendCodePoint(unsigned long code, std::wstring& out) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    AppendUtf16(code, out);
}

// Decodes the reference starting at text[pos] == '&'; returns the position
// after it, or pos when it is no reference (the '&' then stays as it is).
size_t DecodeReference(const std::wstring& text, size_t pos, std::wstring& out) {
    size_t semicolon = text.find(L';', pos);
    if (semicolon == std::wstring::npos || semicolon - pos > 12) return pos;
    std::wstring name = text.substr(pos + 1, semicolon - pos - 1);
    if (name.size() > 1 && name[0] == L'#') {
        bool hex = name[1] == L'x' || name[1] == L'X';
        const wchar_t* digits = name.c_str() + (hex ? 2 : 1);
        wchar_t* end = nullptr;
        unsigned long code = std::wcstoul(digits, &end, hex ? 16 : 10);
        if (end == digits || *end) return pos;
        AppendCodePoint(code, out);
        return semicolon + 1;
    }
    for (const NamedEntity& entity : kEntities) {
        if (name == entity.name) {
            out += entity.value;
            return semicolon + 1;
        }
    }
    return pos;
}

std::wstring DecodeEntities(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        if (text[pos] == L'&') {
            size_t next = DecodeReference(text, pos, out);
            if (next != pos) {
                pos = next;
                continue;
            }
        }
        out += text[pos++];
    }
    return out;
}

bool IsNameChar(wchar_t ch) {
    return std::iswalnum(ch) || ch == L'-' || ch == L'_' || ch == L':' || ch == L'.';
}

// A forgiving reader of HTML as feeds carry it: tags, end tags and text;
// comments, declarations and processing instructions are skipped.
class HtmlReader {
public:
    // With knownTagsOnly, "<News>" and the like stay text: plain-text titles
    // use angle brackets too.
    HtmlReader(const std::wstring& html, bool knownTagsOnly)
        : html_(html), knownTagsOnly_(knownTagsOnly) {}

    bool Next(Token& token);
    // Skips the raw content of an element up to and including its end tag.
    void SkipContent(const std::wstring& name);

private:
    bool ReadTag(Token& token);
    void ReadAttributes(Token& token);
    void SkipSpace() {
        while (pos_ < html_.size() && std::iswspace(html_[pos_])) ++pos_;
    }
    std::wstring ReadName() {
        size_t start = pos_;
        while (pos_ < html_.size() && IsNameChar(html_[pos_])) ++pos_;
        return Lower(html_.substr(start, pos_ - start));
    }
    void SkipPast(const wchar_t* marker) {
        size_t end = html_.find(marker, pos_);
        pos_ = end == std::wstring::npos ? html_.size() : end + std::wcslen(marker);
    }

    const std::wstring& html_;
    bool knownTagsOnly_;
    size_t pos_ = 0;
};

bool HtmlReader::Next(Token& token) {
    while (pos_ < html_.size()) {
        if (html_[pos_] == L'<' && ReadTag(token)) return true;
        if (html_[pos_] == L'<' && pos_ + 1 < html_.size() &&
            (html_[pos_ + 1] == L'!' || html_[pos_ + 1] == L'?')) {
            SkipPast(html_.compare(pos_, 4, L"<!--") == 0 ? L"-->" : L">");
            continue;
        }
        size_t start = pos_;
        pos_ = html_.find(L'<', pos_ + 1);
        if (pos_ == std::wstring::npos) pos_ = html_.size();
        token = Token();
        token.text = DecodeEntities(html_.substr(start, pos_ - start));
        return true;
    }
    return false;
}

bool HtmlReader::ReadTag(Token& token) {
    size_t start = pos_;
    bool end = pos_ + 1 < html_.size() && html_[pos_ + 1] == L'/';
    pos_ += end ? 2 : 1;
    if (pos_ >= html_.size() || !std::iswalpha(html_[pos_])) {
        pos_ = start;
        return false;
    }
    token = Token();
    token.kind = end ? Token::kEnd : Token::kStart;
    token.name = ReadName();
    if (knownTagsOnly_ && !IsKnownTag(token.name)) {
        pos_ = start;
        return false;
    }
    ReadAttributes(token);
    return true;
}

void HtmlReader::ReadAttributes(Token& token) {
    for (;;) {
        SkipSpace();
        if (pos_ >= html_.size()) return;
        wchar_t ch = html_[pos_];
        if (ch == L'>') {
            ++pos_;
            return;
        }
        if (ch == L'/') {
            token.selfClosing = true;
            ++pos_;
            continue;
        }
        Attribute attribute;
        attribute.name = ReadName();
        if (attribute.name.empty()) {
            ++pos_;  // stray character inside the tag
            continue;
        }
        SkipSpace();
        if (pos_ < html_.size() && html_[pos_] == L'=') {
            ++pos_;
            SkipSpace();
            size_t start = pos_;
            if (pos_ < html_.size() && (html_[pos_] == L'"' || html_[pos_] == L'\'')) {
                size_t close = html_.find(html_[pos_], pos_ + 1);
                if (close == std::wstring::npos) close = html_.size();
                attribute.value = html_.substr(start + 1, close - start - 1);
                pos_ = close < html_.size() ? close + 1 : close;
            } else {
                while (pos_ < html_.size() && !std::iswspace(html_[pos_]) && html_[pos_] != L'>')
                    ++pos_;
                attribute.value = html_.substr(start, pos_ - start);
            }
            attribute.value = DecodeEntities(attribute.value);
        }
        token.attributes.push_back(attribute);
    }
}

void HtmlReader::SkipContent(const std::wstring& name) {
    std::wstring close = L"</" + name;
    for (size_t at = html_.find(L"</", pos_); at != std::wstring::npos;
         at = html_.find(L"</", at + 2)) {
        if (Lower(html_.substr(at, close.size())) != close) continue;
        pos_ = at;
        SkipPast(L">");
        return;
    }
    pos_ = html_.size();
}

class SafeHtmlWriter {
public:
    explicit SafeHtmlWriter(const std::wstring& base) : base_(base) {}

    void Add(const Token& token) {
        if (token.kind == Token::kText) out_ += EscapeMarkup(token.text);
        if (token.kind == Token::kStart) Start(token);
        if (token.kind == Token::kEnd) End(token.name);
    }
    std::wstring Finish() {
        while (!open_.empty()) CloseTop();
        return out_;
    }

private:
    void Start(const Token& token) {
        if (!InList(kKept, token.name)) return;
        bool isVoid = InList(kVoid, token.name);
        if ((token.name == L"p" || token.name == L"li") && !open_.empty() &&
            open_.back() == token.name)
            CloseTop();
        if (!isVoid && open_.size() >= kMaxDepth) return;
        std::wstring tag = L"<" + token.name;
        for (const Attribute& attribute : token.attributes) tag += SafeAttribute(token, attribute);
        if (token.name == L"img" && tag.find(L" src=") == std::wstring::npos) return;
        if (isVoid) {
            out_ += tag + L" />";
            return;
        }
        out_ += tag + L">";
        // A self-closed element such as <a/> still needs its end tag here.
        if (token.selfClosing) {
            out_ += L"</" + token.name + L">";
            return;
        }
        open_.push_back(token.name);
    }

    std::wstring SafeAttribute(const Token& token, const Attribute& attribute) const {
        if (!KeepsAttribute(token.name, attribute.name)) return std::wstring();
        std::wstring value = attribute.value;
        if (IsLinkAttribute(attribute.name)) value = SafeLink(value, base_);
        if (IsNumberAttribute(attribute.name) &&
            value.find_first_not_of(L"0123456789%") != std::wstring::npos)
            value.clear();
        if (value.empty()) return std::wstring();
        return L" " + attribute.name + L"=\"" + EscapeMarkup(value) + L"\"";
    }

    void End(const std::wstring& name) {
        for (size_t i = open_.size(); i > 0; --i) {
            if (open_[i - 1] != name) continue;
            while (open_.size() >= i) CloseTop();
            return;
        }
    }

    void CloseTop() {
        out_ += L"</" + open_.back() + L">";
        open_.pop_back();
    }

    const std::wstring& base_;
    std::wstring out_;
    std::vector<std::wstring> open_;
};

bool HasAllowedScheme(const std::wstring& address) {
    size_t colon = address.find_first_of(L":/?#");
    if (colon == std::wstring::npos || address[colon] != L':') return false;
    std::wstring scheme = Lower(address.substr(0, colon));
    return scheme == L"http" || scheme == L"https" || scheme == L"ftp" || scheme == L"mailto";
}

bool IsRelative(const std::wstring& address) {
    size_t colon = address.find_first_of(L":/?#");
    return colon == std::wstring::npos || address[colon] != L':';
}

bool IsXmlChar(wchar_t ch) {
    return ch >= 0x20 ? ch != 0xFFFE && ch != 0xFFFF : ch == L'\t' || ch == L'\n' || ch == L'\r';
}

}  // namespace

std::wstring EscapeMarkup(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t ch : text) {
        switch (ch) {
            case L'&':
                out += L"&amp;";
                break;
            case L'<':
                out += L"&lt;";
                break;
            case L'>':
                out += L"&gt;";
                break;
            case L'"':
                out += L"&quot;";
                break;
            case L'\'':
                out += L"&#39;";
                break;
            default:
                if (IsXmlChar(ch)) out += ch;
        }
    }
    return out;
}

std::wstring SafeLink(const std::wstring& address, const std::wstring& base) {
    // Browsers drop control characters and outer blanks before reading the
    // scheme ("java\tscript:" is script to them).
    std::wstring clean;
    for (wchar_t ch : address) {
        if (ch > 0x20) clean += ch;
    }
    if (clean.empty()) return std::wstring();
    if (IsRelative(clean)) {
        if (base.empty() || !HasAllowedScheme(base)) return std::wstring();
        clean = CombineUrl(base, clean);
    }
    return HasAllowedScheme(clean) ? clean : std::wstring();
}

std::wstring SanitizeHtml(const std::wstring& html, const std::wstring& base) {
    HtmlReader reader(html, false);
    SafeHtmlWriter writer(base);
    Token token;
    while (reader.Next(token)) {
        if (token.kind == Token::kStart && InList(kDroppedWithContent, token.name)) {
            if (!token.selfClosing) reader.SkipContent(token.name);
            continue;
        }
        writer.Add(token);
    }
    return writer.Finish();
}

std::wstring HtmlToText(const std::wstring& html) {
    HtmlReader reader(html, true);
    std::wstring text;
    Token token;
    while (reader.Next(token)) {
        if (token.kind == Token::kStart && InList(kDroppedWithContent, token.name)) {
            if (!token.selfClosing) reader.SkipContent(token.name);
        } else if (token.kind == Token::kText) {
            text += token.text;
        } else if (InList(kBlocks, token.name)) {
            text += L' ';  // <br>, </p> and the like part words; <b> does not
        }
    }
    std::wstring out;
    for (wchar_t ch : text) {
        bool blank = std::iswspace(ch) || ch == 0x00A0;
        if (blank && (out.empty() || out.back() == L' ')) continue;
        out += blank ? L' ' : ch;
    }
    if (!out.empty() && out.back() == L' ') out.pop_back();
    return out;
}
