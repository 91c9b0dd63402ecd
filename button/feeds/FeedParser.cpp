#include "feeds/FeedParser.h"

#include <windows.h>

#include <string>

#include "core/Module.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedCacheWriter.h"
#include "feeds/FeedDocument.h"
#include "feeds/StoreFile.h"

namespace {
constexpr UINT kUntitledString = 25;

std::wstring FromUtf8(const char* text) {
    if (!text || !*text) return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], size);
    return wide;
}

std::wstring ElementText(const TiXmlElement* element) {
    return FromUtf8(element ? element->GetText() : nullptr);
}

std::wstring UntitledText() {
    wchar_t text[64] = L"";
    if (LoadStringW(ModuleInstance(), kUntitledString, text, 64) > 0) return text;
    return L"无标题";
}

// The channel title as the cache keeps it; false when it is empty.
bool TakeChannelTitle(const TiXmlElement* title, FeedCache& cache) {
    if (!title) return false;
    std::wstring text = ElementText(title).substr(0, kMaxValueLength);
    if (text.empty()) return false;
    cache.title = text.find_first_not_of(L' ') == std::wstring::npos ? UntitledText() : text;
    return true;
}

void SetChannelLink(const char* link, FeedCache& cache) {
    cache.hasLink = link != nullptr;
    cache.link = FromUtf8(link);
}

// Writes the temporary cache and moves it onto the cache of the number.
int CommitCache(const FeedCache& cache, int number) {
    std::wstring temp = FeedCacheTempPath(number);
    if (!WriteFeedCacheFile(temp.c_str(), cache)) return 0;
    std::wstring target = FeedCachePath(number);
    return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? 1 : 0;
}

// The RSS reading of a loaded document; 0 when it is not RSS.
int ReadRss(const TiXmlDocument& document, int number) {
    const TiXmlElement* root = document.RootElement();
    const TiXmlElement* channel = root ? root->FirstChildElement("channel") : nullptr;
    if (!channel) return 0;
    FeedCache cache;
    if (!TakeChannelTitle(channel->FirstChildElement("title"), cache)) return 0;
    const TiXmlElement* link = channel->FirstChildElement("link");
    if (!link) return 0;
    SetChannelLink(link->GetText(), cache);

    // The list ends at the first item without title or link; the items
    // before it are kept.
    for (const TiXmlElement* item = channel->FirstChildElement("item"); item;
         item = item->NextSiblingElement("item")) {
        const TiXmlElement* itemTitle = item->FirstChildElement("title");
        const TiXmlElement* itemLink = itemTitle ? item->FirstChildElement("link") : nullptr;
        if (!itemLink) break;
        cache.items.push_back({ElementText(itemTitle), ElementText(itemLink)});
    }
    return CommitCache(cache, number);
}

// The Atom reading of a loaded document; 0 when it is not Atom.
int ReadAtom(const TiXmlDocument& document, int number) {
    const TiXmlElement* root = document.RootElement();
    if (!root) return 0;
    FeedCache cache;
    if (!TakeChannelTitle(root->FirstChildElement("title"), cache)) return 0;
    const TiXmlElement* link = root->FirstChildElement("link");
    if (!link) return 0;
    SetChannelLink(link->Attribute("href"), cache);

    for (const TiXmlElement* entry = root->FirstChildElement("entry"); entry;
         entry = entry->NextSiblingElement("entry")) {
        const TiXmlElement* entryTitle = entry->FirstChildElement("title");
        const TiXmlElement* entryLink = entryTitle ? entry->FirstChildElement("link") : nullptr;
        if (!entryLink) break;
        cache.items.push_back({ElementText(entryTitle), FromUtf8(entryLink->Attribute("href"))});
    }
    return CommitCache(cache, number);
}

// Loads the file for a parse of the number; the emptied temporary cache marks
// the attempt, as the profile-based writer always left it.
bool OpenFeed(const wchar_t* file, int number, TiXmlDocument& document) {
    if (!FileExists(file)) return false;
    if (!CreateUnicodeIniFile(FeedCacheTempPath(number).c_str())) return false;
    return LoadFeedDocument(file, document);
}
}  // namespace

int ParseRssFeed(const wchar_t* file, int number) {
    TiXmlDocument document;
    return OpenFeed(file, number, document) ? ReadRss(document, number) : 0;
}

int ParseAtomFeed(const wchar_t* file, int number) {
    TiXmlDocument document;
    return OpenFeed(file, number, document) ? ReadAtom(document, number) : 0;
}

int ParseFeedFile(const wchar_t* file, int number) {
    TiXmlDocument document;
    if (!OpenFeed(file, number, document)) return 0;
    return ReadRss(document, number) || ReadAtom(document, number) ? 1 : 0;
}
