#include "engine/ChannelFeed.h"

#include <cstring>

#include "engine/ChannelDate.h"
#include "engine/ChannelFiles.h"
#include "engine/HtmlSanitizer.h"
#include "feeds/FeedDocument.h"

namespace {

constexpr size_t kMaxItems = 500;
constexpr size_t kMaxTitle = 1024;
constexpr size_t kMaxLink = 2048;
constexpr size_t kMaxDescription = 32768;

std::wstring Trim(const std::wstring& text) {
    size_t start = text.find_first_not_of(L" \t\r\n");
    if (start == std::wstring::npos) return std::wstring();
    size_t end = text.find_last_not_of(L" \t\r\n");
    return text.substr(start, end - start + 1);
}

// The markup of an element's children: text as it was decoded from the XML
// (for RSS, escaped HTML then becomes HTML), elements printed back.
std::wstring ChildMarkup(const TiXmlElement* element, bool escapeText) {
    std::string markup;
    for (const TiXmlNode* child = element->FirstChild(); child; child = child->NextSibling()) {
        if (const TiXmlText* text = child->ToText()) {
            markup += escapeText ? ToUtf8(EscapeMarkup(FromUtf8(text->Value()))) : text->Value();
        } else if (child->ToElement()) {
            TiXmlPrinter printer;
            printer.SetStreamPrinting();
            child->Accept(&printer);
            markup += printer.CStr();
        }
    }
    return FromUtf8(markup.c_str());
}

std::wstring TextOf(const TiXmlElement* element) {
    return element ? Trim(ChildMarkup(element, false)) : std::wstring();
}

const TiXmlElement* Child(const TiXmlElement* parent, const char* name) {
    return parent ? parent->FirstChildElement(name) : nullptr;
}

std::wstring Attribute(const TiXmlElement* element, const char* name) {
    return element ? Trim(FromUtf8(element->Attribute(name))) : std::wstring();
}

std::wstring Resolve(const std::wstring& link, const std::wstring& base) {
    if (link.empty()) return link;
    std::wstring safe = SafeLink(link, base);
    return (safe.empty() ? link : safe).substr(0, kMaxLink);
}

// An Atom text construct (title, summary, content) as HTML.
std::wstring AtomHtml(const TiXmlElement* element) {
    if (!element) return std::wstring();
    std::string type = element->Attribute("type") ? element->Attribute("type") : "";
    std::string mode = element->Attribute("mode") ? element->Attribute("mode") : "";
    bool isHtml = type.find("html") != std::string::npos || mode == "escaped";
    if (element->FirstChildElement()) return ChildMarkup(element, true);
    return isHtml ? TextOf(element) : EscapeMarkup(TextOf(element));
}

void SetDate(const std::wstring& date, ChannelItem& item) {
    item.date = date;
    item.stamp = ParseFeedDate(date);
}

void FinishItem(ChannelItem& item, std::vector<ChannelItem>& items) {
    item.title = item.title.substr(0, kMaxTitle);
    if (item.description.size() > kMaxDescription) item.description.resize(kMaxDescription);
    if (item.key.empty()) item.key = !item.link.empty() ? item.link : item.title + L"|" + item.date;
    item.position = static_cast<int>(items.size());
    if (items.size() < kMaxItems) items.push_back(item);
}

std::wstring RssLink(const TiXmlElement* item) {
    std::wstring link = TextOf(Child(item, "link"));
    if (!link.empty()) return link;
    const TiXmlElement* guid = Child(item, "guid");
    const char* permaLink = guid ? guid->Attribute("isPermaLink") : nullptr;
    if (guid && !(permaLink && std::strcmp(permaLink, "false") == 0)) return TextOf(guid);
    return Attribute(item, "rdf:about");
}

void ReadRssItem(const TiXmlElement* element, const std::wstring& base, ChannelFeed& feed) {
    ChannelItem item;
    item.title = HtmlToText(TextOf(Child(element, "title")));
    item.link = Resolve(RssLink(element), base);
    item.key = TextOf(Child(element, "guid"));
    if (item.key.empty()) item.key = Attribute(element, "rdf:about");
    std::wstring date = TextOf(Child(element, "pubDate"));
    SetDate(date.empty() ? TextOf(Child(element, "dc:date")) : date, item);
    item.description = TextOf(Child(element, "description"));
    if (item.description.empty()) item.description = TextOf(Child(element, "content:encoded"));
    FinishItem(item, feed.items);
}

void ReadRssItems(const TiXmlElement* parent, const std::wstring& base, ChannelFeed& feed) {
    for (const TiXmlElement* item = Child(parent, "item"); item;
         item = item->NextSiblingElement("item"))
        ReadRssItem(item, base, feed);
}

bool ReadRss(const TiXmlElement* root, const std::wstring& base, ChannelFeed& feed) {
    const TiXmlElement* channel = Child(root, "channel");
    if (!channel) return false;
    feed.title = HtmlToText(TextOf(Child(channel, "title")));
    feed.link = Resolve(TextOf(Child(channel, "link")), base);
    ReadRssItems(channel, base, feed);
    ReadRssItems(root, base, feed);  // RSS 1.0 keeps its items beside the channel
    return true;
}

std::wstring AtomLink(const TiXmlElement* parent, const std::wstring& base) {
    std::wstring fallback;
    for (const TiXmlElement* link = Child(parent, "link"); link;
         link = link->NextSiblingElement("link")) {
        std::wstring rel = Attribute(link, "rel");
        if (rel.empty() || rel == L"alternate") return Resolve(Attribute(link, "href"), base);
        if (fallback.empty()) fallback = Attribute(link, "href");
    }
    return Resolve(fallback, base);
}

std::wstring AtomDate(const TiXmlElement* entry) {
    for (const char* name : {"updated", "published", "modified", "issued", "created"}) {
        std::wstring date = TextOf(Child(entry, name));
        if (!date.empty()) return date;
    }
    return std::wstring();
}

bool ReadAtom(const TiXmlElement* root, const std::wstring& base, ChannelFeed& feed) {
    feed.title = HtmlToText(AtomHtml(Child(root, "title")));
    feed.link = AtomLink(root, base);
    for (const TiXmlElement* entry = Child(root, "entry"); entry;
         entry = entry->NextSiblingElement("entry")) {
        ChannelItem item;
        item.title = HtmlToText(AtomHtml(Child(entry, "title")));
        item.link = AtomLink(entry, base);
        item.key = TextOf(Child(entry, "id"));
        SetDate(AtomDate(entry), item);
        item.description = AtomHtml(Child(entry, "summary"));
        if (item.description.empty()) item.description = AtomHtml(Child(entry, "content"));
        FinishItem(item, feed.items);
    }
    return true;
}

}  // namespace

bool ParseChannelFeed(const std::wstring& file, const std::wstring& address, ChannelFeed& feed) {
    TiXmlDocument document;
    if (!LoadFeedDocument(file.c_str(), document)) return false;
    const TiXmlElement* root = document.RootElement();
    if (!root) return false;
    feed = ChannelFeed();
    std::string name = root->Value();
    if (name == "feed") return ReadAtom(root, address, feed);
    if (name == "rss" || name == "rdf:RDF" || name == "RDF") return ReadRss(root, address, feed);
    return false;
}
