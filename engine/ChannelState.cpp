#include "engine/ChannelState.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

#include "engine/ChannelFiles.h"
#include "feeds/FeedEncoding.h"
#include "tinyxml.h"

namespace {

std::string Number(ULONGLONG value) {
    return std::to_string(value);
}

ULONGLONG ReadNumber(const TiXmlElement* element, const char* name) {
    const char* text = element->Attribute(name);
    return text ? std::strtoull(text, nullptr, 10) : 0;
}

std::wstring ReadText(const TiXmlElement* element, const char* name) {
    return FromUtf8(element->Attribute(name));
}

std::string ReadAscii(const TiXmlElement* element, const char* name) {
    const char* text = element->Attribute(name);
    return text ? text : "";
}

void SetText(TiXmlElement& element, const char* name, const std::wstring& value) {
    element.SetAttribute(name, ToUtf8(value).c_str());
}

TiXmlElement ItemElement(const ChannelItem& item) {
    TiXmlElement element("item");
    SetText(element, "key", item.key);
    SetText(element, "title", item.title);
    SetText(element, "link", item.link);
    SetText(element, "date", item.date);
    element.SetAttribute("stamp", Number(item.stamp).c_str());
    element.SetAttribute("seen", Number(item.firstSeen).c_str());
    element.SetAttribute("position", item.position);
    element.SetAttribute("read", item.read ? 1 : 0);
    // An attribute keeps the description's line ends and blanks, which a
    // text node would have condensed on reading.
    SetText(element, "description", item.description);
    return element;
}

ChannelItem ReadItem(const TiXmlElement* element) {
    ChannelItem item;
    item.key = ReadText(element, "key");
    item.title = ReadText(element, "title");
    item.link = ReadText(element, "link");
    item.date = ReadText(element, "date");
    item.description = ReadText(element, "description");
    item.stamp = ReadNumber(element, "stamp");
    item.firstSeen = ReadNumber(element, "seen");
    item.position = static_cast<int>(ReadNumber(element, "position"));
    item.read = ReadNumber(element, "read") != 0;
    return item;
}

// Newest first: the item's own date where it has one, otherwise when it
// first arrived; items of one arrival keep the feed's order.
bool IsNewer(const ChannelItem& a, const ChannelItem& b) {
    ULONGLONG first = a.stamp ? a.stamp : a.firstSeen;
    ULONGLONG second = b.stamp ? b.stamp : b.firstSeen;
    if (first != second) return first > second;
    return a.position < b.position;
}

}  // namespace

bool LoadChannelState(const std::wstring& path, ChannelState& state) {
    state = ChannelState();
    std::string text;
    if (!ReadWholeFile(path.c_str(), text)) return false;
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* root = document.RootElement();
    if (document.Error() || !root || std::string(root->Value()) != "channel") return false;
    state.title = ReadText(root, "title");
    state.link = ReadText(root, "link");
    state.address = ReadText(root, "address");
    state.base = ReadText(root, "base");
    state.etag = ReadAscii(root, "etag");
    state.lastModified = ReadAscii(root, "lastModified");
    state.updated = ReadNumber(root, "updated");
    for (const TiXmlElement* item = root->FirstChildElement("item"); item;
         item = item->NextSiblingElement("item"))
        state.items.push_back(ReadItem(item));
    return true;
}

bool SaveChannelState(const std::wstring& path, const ChannelState& state) {
    TiXmlElement root("channel");
    SetText(root, "title", state.title);
    SetText(root, "link", state.link);
    SetText(root, "address", state.address);
    SetText(root, "base", state.base);
    root.SetAttribute("etag", state.etag.c_str());
    root.SetAttribute("lastModified", state.lastModified.c_str());
    root.SetAttribute("updated", Number(state.updated).c_str());
    for (const ChannelItem& item : state.items) root.InsertEndChild(ItemElement(item));
    TiXmlPrinter printer;
    root.Accept(&printer);
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    text += printer.CStr();
    return WriteFileReplacing(path, text);
}

void MergeChannelFeed(const ChannelFeed& feed, ULONGLONG now, ChannelState& state) {
    std::map<std::wstring, const ChannelItem*> known;
    for (const ChannelItem& item : state.items) known.emplace(item.key, &item);
    std::vector<ChannelItem> merged;
    std::map<std::wstring, bool> taken;
    for (const ChannelItem& fresh : feed.items) {
        if (!taken.emplace(fresh.key, true).second) continue;  // a key listed twice
        ChannelItem item = fresh;
        item.firstSeen = now;
        auto old = known.find(fresh.key);
        if (old != known.end()) {
            item.read = old->second->read;
            item.firstSeen = old->second->firstSeen;
            item.position = old->second->position;
        }
        merged.push_back(item);
    }
    for (const ChannelItem& item : state.items) {
        if (taken.emplace(item.key, true).second) merged.push_back(item);
    }
    std::stable_sort(merged.begin(), merged.end(), IsNewer);
    if (merged.size() > kMaxChannelItems) merged.resize(kMaxChannelItems);
    state.items.swap(merged);
    if (!feed.title.empty()) state.title = feed.title;
    if (!feed.link.empty()) state.link = feed.link;
    state.updated = now;
}

bool HasUnreadItems(const ChannelState& state) {
    for (const ChannelItem& item : state.items) {
        if (!item.read) return true;
    }
    return false;
}
