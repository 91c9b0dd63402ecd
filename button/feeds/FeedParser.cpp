#include "feeds/FeedParser.h"

#include <windows.h>

#include <string>

#include "common/FileReplace.h"
#include "common/TextEncoding.h"
#include "core/Module.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedCacheWriter.h"
#include "feeds/FeedDocument.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"

namespace {
constexpr UINT kUntitledString = 25;

std::wstring ElementText(const TiXmlElement* element) {
    return FromUtf8(element ? element->GetText() : nullptr);
}

// The channel title as the cache keeps it; false when it is empty.
bool TakeChannelTitle(const TiXmlElement* title, FeedCache& cache) {
    if (!title) return false;
    std::wstring text = ElementText(title).substr(0, kMaxValueLength);
    if (text.empty()) return false;
    cache.title = text.find_first_not_of(L' ') == std::wstring::npos ? UntitledFeedTitle() : text;
    return true;
}

void SetChannelLink(const char* link, FeedCache& cache) {
    cache.hasLink = link != nullptr;
    cache.link = FromUtf8(link);
}

// One parse attempt: the feed document and the temporary cache file, created
// (empty) before the document is read, as the attempt's mark.
class ParseTarget {
public:
    explicit ParseTarget(int number)
        : temp_(FeedCacheTempPath(number)), cache_(FeedCachePath(number)) {}
    ~ParseTarget() { CloseTemp(); }
    ParseTarget(const ParseTarget&) = delete;
    ParseTarget& operator=(const ParseTarget&) = delete;

    bool Open(const wchar_t* file) {
        if (!FileExists(file)) return false;
        tempFile_ = CreateFileW(temp_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return tempFile_ != INVALID_HANDLE_VALUE && LoadFeedDocument(file, document_);
    }

    const TiXmlDocument& Document() const { return document_; }

    // Writes the temporary cache and moves it onto the cache of the number.
    int Commit(const FeedCache& cache) {
        int written = WriteFeedCache(tempFile_, cache);
        CloseTemp();
        if (!written) return 0;
        StoreLock lock;
        if (ReplaceWithFile(cache_.c_str(), temp_.c_str())) return 1;
        replaceFailed_ = true;
        return 0;
    }
    bool ReplaceFailed() const { return replaceFailed_; }

private:
    void CloseTemp() {
        if (tempFile_ != INVALID_HANDLE_VALUE) CloseHandle(tempFile_);
        tempFile_ = INVALID_HANDLE_VALUE;
    }

    std::wstring temp_;
    std::wstring cache_;
    HANDLE tempFile_ = INVALID_HANDLE_VALUE;
    TiXmlDocument document_;
    bool replaceFailed_ = false;
};

// The RSS reading of a loaded document; 0 when it is not RSS.
int ReadRss(ParseTarget& target) {
    const TiXmlElement* root = target.Document().RootElement();
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
    return target.Commit(cache);
}

// The Atom reading of a loaded document; 0 when it is not Atom.
int ReadAtom(ParseTarget& target) {
    const TiXmlElement* root = target.Document().RootElement();
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
    return target.Commit(cache);
}

}  // namespace

std::wstring UntitledFeedTitle() {
    wchar_t text[64] = L"";
    if (LoadStringW(ModuleInstance(), kUntitledString, text, 64) > 0) return text;
    return L"无标题";
}

int ParseRssFeed(const wchar_t* file, int number) {
    ParseTarget target(number);
    return target.Open(file) ? ReadRss(target) : 0;
}

int ParseAtomFeed(const wchar_t* file, int number) {
    ParseTarget target(number);
    return target.Open(file) ? ReadAtom(target) : 0;
}

int ParseFeedFile(const wchar_t* file, int number, bool* replaceFailed) {
    ParseTarget target(number);
    int parsed = target.Open(file) && (ReadRss(target) || ReadAtom(target)) ? 1 : 0;
    if (replaceFailed) *replaceFailed = target.ReplaceFailed();
    return parsed;
}
