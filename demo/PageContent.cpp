#include "PageContent.h"

#include <windows.h>

#include <cwctype>

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& ch : text) ch = static_cast<wchar_t>(towlower(ch));
    return text;
}

std::wstring Unescape(const std::wstring& text) {
    static const std::pair<const wchar_t*, wchar_t> kEntities[] = {
        {L"lt", L'<'},    {L"gt", L'>'},  {L"quot", L'"'},
        {L"apos", L'\''}, {L"amp", L'&'}, {L"nbsp", L' '}};
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t semi = text[i] == L'&' ? text.find(L';', i) : std::wstring::npos;
        if (semi == std::wstring::npos || semi - i > 10) {
            out += text[i];
            continue;
        }
        std::wstring name = text.substr(i + 1, semi - i - 1);
        wchar_t ch = 0;
        if (!name.empty() && name[0] == L'#') {
            bool hex = name.size() > 1 && (name[1] == L'x' || name[1] == L'X');
            ch =
                static_cast<wchar_t>(wcstoul(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10));
        }
        for (const auto& entity : kEntities)
            if (name == entity.first) ch = entity.second;
        if (ch) {
            out += ch;
            i = semi;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Runs of white space become one blank; none at either end.
std::wstring Squeeze(const std::wstring& text) {
    std::wstring out;
    bool blank = false;
    for (wchar_t ch : text) {
        if (iswspace(ch)) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += L' ';
        blank = false;
        out += ch;
    }
    return out;
}

struct Tag {
    std::wstring name;  // lower case
    bool closing = false;
    PageContent::Attributes attributes;
    size_t end = 0;  // just after '>'
};

std::wstring Attribute(const Tag& tag, const wchar_t* name) {
    for (const auto& attribute : tag.attributes)
        if (attribute.first == name) return attribute.second;
    return L"";
}

void ReadAttributes(const std::wstring& body, Tag* tag) {
    size_t i = 0;
    while (i < body.size()) {
        while (i < body.size() && (iswspace(body[i]) || body[i] == L'/')) ++i;
        size_t start = i;
        while (i < body.size() && !iswspace(body[i]) && body[i] != L'=' && body[i] != L'/') ++i;
        if (i == start) break;
        std::wstring name = Lower(body.substr(start, i - start)), value;
        while (i < body.size() && iswspace(body[i])) ++i;
        if (i < body.size() && body[i] == L'=') {
            ++i;
            while (i < body.size() && iswspace(body[i])) ++i;
            wchar_t quote = i < body.size() && (body[i] == L'"' || body[i] == L'\'') ? body[i] : 0;
            if (quote) ++i;
            size_t valueStart = i;
            while (i < body.size() && (quote ? body[i] != quote : !iswspace(body[i]))) ++i;
            value = Unescape(body.substr(valueStart, i - valueStart));
            if (quote && i < body.size()) ++i;
        }
        tag->attributes.push_back({name, value});
    }
}

// The tag opening at markup[at] == '<'; false for comments, declarations
// and a '<' that opens no tag.
bool ReadTag(const std::wstring& markup, size_t at, Tag* tag) {
    size_t close = markup.find(L'>', at);
    if (close == std::wstring::npos) return false;
    size_t i = at + 1;
    tag->closing = i < close && markup[i] == L'/';
    if (tag->closing) ++i;
    size_t start = i;
    while (i < close && (iswalnum(markup[i]) || markup[i] == L'-')) ++i;
    if (i == start) return false;
    tag->name = Lower(markup.substr(start, i - start));
    ReadAttributes(markup.substr(i, close - i), tag);
    tag->end = close + 1;
    return true;
}

bool IsBlock(const std::wstring& name) {
    static const wchar_t* const kBlocks[] = {L"p",  L"div", L"br", L"li", L"ul", L"ol", L"tr",
                                             L"h1", L"h2",  L"h3", L"h4", L"h5", L"h6", L"body"};
    for (const wchar_t* block : kBlocks)
        if (name == block) return true;
    return false;
}

bool IsVoid(const std::wstring& name) {
    return name == L"br" || name == L"img" || name == L"meta" || name == L"link" ||
           name == L"input" || name == L"hr";
}

// Walks the markup once, handing text to the innermost element with an id
// (channel pages) or to the current block (web pages).
class MarkupReader {
public:
    explicit MarkupReader(const std::wstring& markup) : markup_(markup) {}

    PageContent Read() {
        page_.kind = markup_.find(L"id=\"item\"") != std::wstring::npos ? PageContent::Kind::Channel
                                                                        : PageContent::Kind::Web;
        size_t at = 0;
        while (at < markup_.size()) {
            size_t open = markup_.find(L'<', at);
            OnText(markup_.substr(at, open == std::wstring::npos ? open : open - at));
            if (open == std::wstring::npos) break;
            Tag tag;
            if (markup_.compare(open, 4, L"<!--") == 0) {
                size_t end = markup_.find(L"-->", open);
                at = end == std::wstring::npos ? markup_.size() : end + 3;
            } else if (ReadTag(markup_, open, &tag)) {
                at = OnTag(tag);
            } else if (markup_.compare(open, 2, L"<!") == 0 ||
                       markup_.compare(open, 2, L"<?") == 0) {
                size_t end = markup_.find(L'>', open);
                at = end == std::wstring::npos ? markup_.size() : end + 1;
            } else {
                // A '<' that opens no tag is text.
                OnText(L"<");
                at = open + 1;
            }
        }
        FlushBlock();
        return page_;
    }

private:
    size_t OnTag(const Tag& tag) {
        if (!tag.closing && (tag.name == L"script" || tag.name == L"style")) {
            size_t end = Lower(markup_).find(L"</" + tag.name, tag.end);
            return end == std::wstring::npos ? markup_.size() : end;
        }
        if (tag.name == L"title") inTitle_ = !tag.closing;
        if (tag.name == L"link" && !tag.closing) page_.linkTags.push_back(tag.attributes);
        if (tag.name == L"a") OnAnchor(tag);
        if (IsBlock(tag.name)) FlushBlock();
        if (!tag.closing && tag.name.size() == 2 && tag.name[0] == L'h' && iswdigit(tag.name[1]))
            style_ = PageContent::Style::Heading;
        if (tag.closing) {
            PopElement(tag.name);
        } else if (!IsVoid(tag.name)) {
            PushElement(tag);
        }
        return tag.end;
    }

    void OnAnchor(const Tag& tag) {
        if (!tag.closing) {
            FlushBlock();
            href_ = Attribute(tag, L"href");
            style_ = PageContent::Style::Link;
            if (!ids_.empty() && ids_.back().second == L"title" && !page_.items.empty())
                page_.items.back().link = href_;
        } else {
            FlushBlock();
            href_.clear();
            style_ = PageContent::Style::Paragraph;
        }
    }

    void PushElement(const Tag& tag) {
        std::wstring id = Attribute(tag, L"id");
        ids_.push_back({tag.name, id});
        if (id == L"item") {
            page_.items.emplace_back();
            page_.items.back().unread =
                Lower(Attribute(tag, L"class")).find(L"unread") != std::wstring::npos;
        }
    }

    void PopElement(const std::wstring& name) {
        for (size_t i = ids_.size(); i-- > 0;) {
            if (ids_[i].first == name) {
                ids_.resize(i);
                return;
            }
        }
    }

    std::wstring InnermostId() const {
        for (size_t i = ids_.size(); i-- > 0;)
            if (!ids_[i].second.empty()) return ids_[i].second;
        return L"";
    }

    void OnText(const std::wstring& raw) {
        if (raw.empty()) return;
        std::wstring text = Unescape(raw);
        if (inTitle_) {
            page_.title += text;
            return;
        }
        if (page_.kind == PageContent::Kind::Channel) {
            AddChannelText(text);
        } else {
            block_ += text;
        }
    }

    void AddChannelText(const std::wstring& text) {
        std::wstring id = InnermostId();
        PageContent::Item* item = page_.items.empty() ? nullptr : &page_.items.back();
        if (id == L"name") channelName_ += text;
        if (id == L"info") page_.channelInfo = Squeeze(page_.channelInfo + L" " + text);
        if (!item) return;
        std::wstring* field = id == L"title"         ? &item->title
                              : id == L"date"        ? &item->date
                              : id == L"description" ? &item->description
                                                     : nullptr;
        if (field) *field = Squeeze(*field + L" " + text);
    }

    void FlushBlock() {
        std::wstring text = Squeeze(block_);
        if (!text.empty() && page_.kind == PageContent::Kind::Web)
            page_.blocks.push_back(
                {style_, text, style_ == PageContent::Style::Link ? href_ : L""});
        block_.clear();
        style_ = href_.empty() ? PageContent::Style::Paragraph : PageContent::Style::Link;
        if (!channelName_.empty()) page_.title = Squeeze(channelName_);
    }

    const std::wstring& markup_;
    PageContent page_;
    std::vector<std::pair<std::wstring, std::wstring>> ids_;  // open elements: tag, id
    std::wstring block_, href_, channelName_;
    PageContent::Style style_ = PageContent::Style::Paragraph;
    bool inTitle_ = false;
};

}  // namespace

std::wstring DecodeMarkup(const std::string& bytes) {
    std::string head = bytes.substr(0, 1024);
    for (char& ch : head) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    bool gb = head.find("charset=gb") != std::string::npos ||
              head.find("encoding=\"gb") != std::string::npos;
    size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    UINT codePage = gb ? 936 : CP_UTF8;
    int length = static_cast<int>(bytes.size() - skip);
    int size = MultiByteToWideChar(codePage, 0, bytes.data() + skip, length, nullptr, 0);
    std::wstring text(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(codePage, 0, bytes.data() + skip, length, &text[0], size);
    return text;
}

PageContent ParseMarkup(const std::wstring& markup) {
    PageContent page = MarkupReader(markup).Read();
    page.title = Squeeze(page.title);
    return page;
}

PageContent NoticePage(const std::wstring& title, const std::vector<std::wstring>& lines) {
    PageContent page;
    page.kind = PageContent::Kind::Notice;
    page.title = title;
    for (const std::wstring& line : lines)
        page.blocks.push_back({PageContent::Style::Paragraph, line, L""});
    return page;
}
