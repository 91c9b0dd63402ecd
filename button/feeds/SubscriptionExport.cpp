#include "feeds/SubscriptionExport.h"

#include <windows.h>

#include <string>

#include "common/FileReplace.h"
#include "common/OpmlWriter.h"
#include "core/Module.h"
#include "core/ToolbarEnvironment.h"
#include "feeds/FeedCache.h"
#include "feeds/IniSnapshot.h"
#include "feeds/IniText.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

namespace {
std::wstring ListTitle() {
    wchar_t text[64] = L"";
    LoadStringW(ModuleInstance(), IDS_OPML_TITLE, text, 64);
    return text;
}
}  // namespace

int ExportOpmlFile(const wchar_t* rssIni, const wchar_t* opmlFile) {
    IniText text;
    {
        // The list as one change left it, not halfway through the next.
        StoreLock lock;
        if (!text.Load(rssIni) || !text.Existed()) return -1;
    }
    IniSnapshot rss(text);
    int count = BoundedCount(rss);
    wchar_t folder[MAX_PATH] = L"";
    RssDataPath(folder, nullptr);
    OpmlWriter writer(ListTitle());
    int written = 0;
    for (int number = 1; number <= count; ++number) {
        std::wstring section = NumberedSection(L"rss", number);
        std::wstring address = rss.Get(section.c_str(), L"xmlUrl");
        if (address.empty()) continue;  // nothing another reader could fetch
        std::wstring site = IniSnapshot(FeedCachePathIn(folder, number)).Get(L"main", L"link");
        if (site.empty()) site = rss.Get(section.c_str(), L"htmlUrl");
        writer.AddFeed(rss.Get(section.c_str(), L"title"), address, site);
        ++written;
    }
    return ReplaceFileContents(opmlFile, writer.Finish()) ? written : -1;
}
