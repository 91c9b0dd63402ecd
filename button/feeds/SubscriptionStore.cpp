#include "feeds/SubscriptionStore.h"

#include <ctime>
#include <string>

#include "common/FileReplace.h"
#include "feeds/FeedAddress.h"
#include "feeds/FeedCache.h"
#include "feeds/IniSnapshot.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"

namespace {
const wchar_t kMain[] = L"main";
const wchar_t kCount[] = L"count";
// Read marks are longer than any other value: up to 15 records and then some.
constexpr size_t kMaxMarksLength = 2083;

std::wstring RssSection(int number) {
    return NumberedSection(L"rss", number);
}

// Moves the cache of subscription `from` to number `to`; a stale file at `to`
// must not pass for the moved subscription's cache.
void MoveCache(int from, int to) {
    if (from == to) return;
    std::wstring target = FeedCachePath(to);
    if (!ReplaceWithFile(target.c_str(), FeedCachePath(from).c_str())) DeleteFileW(target.c_str());
}

void MoveReadMarks(const wchar_t* historyIni, int from, int to) {
    std::wstring fromSection = RssSection(from);
    std::wstring slot = ReadIniString(historyIni, fromSection.c_str(), L"cn", 8);
    std::wstring marks = ReadIniString(historyIni, fromSection.c_str(), L"his", kMaxMarksLength);
    WritePrivateProfileStringW(fromSection.c_str(), nullptr, nullptr, historyIni);
    std::wstring toSection = RssSection(to);
    if (!marks.empty())
        WritePrivateProfileStringW(toSection.c_str(), L"his", marks.c_str(), historyIni);
    if (!slot.empty())
        WritePrivateProfileStringW(toSection.c_str(), L"cn", slot.c_str(), historyIni);
}

void MoveSubscription(const wchar_t* rssIni, const wchar_t* historyIni, int from, int to) {
    std::wstring fromSection = RssSection(from);
    const wchar_t* section = fromSection.c_str();
    std::wstring xmlUrl = ReadIniString(rssIni, section, L"xmlUrl");
    std::wstring htmlUrl = ReadIniString(rssIni, section, L"htmlUrl");
    std::wstring title = ReadIniString(rssIni, section, L"title");
    std::wstring updTime = ReadIniString(rssIni, section, L"updTime", 31);
    std::wstring imported = ReadIniString(rssIni, section, kImportedKey, 31);
    WritePrivateProfileStringW(section, nullptr, nullptr, rssIni);

    std::wstring toSection = RssSection(to);
    WriteIniString(rssIni, toSection.c_str(), L"xmlUrl", xmlUrl);
    WriteIniString(rssIni, toSection.c_str(), L"htmlUrl", htmlUrl);
    WriteIniString(rssIni, toSection.c_str(), L"title", title);
    // The refresh schedule moves along, so a renumbered feed is not fetched again at once.
    if (!updTime.empty()) WriteIniString(rssIni, toSection.c_str(), L"updTime", updTime);
    if (!imported.empty()) WriteIniString(rssIni, toSection.c_str(), kImportedKey, imported);
    MoveCache(from, to);
    MoveReadMarks(historyIni, from, to);
}

bool IsListed(const IniSnapshot& rss, int number, const ListedSubscription& listed) {
    std::wstring section = RssSection(number);
    return rss.Get(section.c_str(), L"title") == listed.title &&
           rss.Get(section.c_str(), L"xmlUrl") == listed.xmlUrl;
}

// taken[n - 1] marks numbers another listed subscription already claimed, so
// that two alike subscriptions are each found once.
int FindIn(const IniSnapshot& rss, int count, const ListedSubscription& listed,
           const std::vector<bool>& taken) {
    int number = listed.number;
    if (number >= 1 && number <= count && !taken[number - 1] && IsListed(rss, number, listed))
        return number;
    for (number = 1; number <= count; ++number) {
        if (!taken[number - 1] && IsListed(rss, number, listed)) return number;
    }
    return 0;
}

void DropSubscription(const wchar_t* rssIni, const wchar_t* historyIni, int number) {
    std::wstring section = RssSection(number);
    WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, rssIni);
    WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, historyIni);
    DeleteFileW(FeedCachePath(number).c_str());
}
}  // namespace

int BoundedCount(const IniSnapshot& rss) {
    long count = rss.GetNumber(kMain, kCount, 0);
    long present = rss.HighestNumberedSection(L"rss");
    return static_cast<int>(count < present ? count : present);
}

void EnsureStoreFiles(const wchar_t* rssIni, const wchar_t* historyIni) {
    if (!FileExists(rssIni)) {
        CreateUnicodeIniFile(rssIni);
        // A history without its list would mark items of subscriptions not yet added.
        CreateUnicodeIniFile(historyIni);
        WritePrivateProfileStringW(kMain, kCount, L"0", rssIni);
    }
    EnsureUnicodeIniFile(historyIni);
}

int ReadCount(const wchar_t* rssIni, int fallback) {
    return static_cast<int>(ReadIniNumber(rssIni, kMain, kCount, fallback));
}

int ReadBoundedCount(const wchar_t* rssIni) {
    return BoundedCount(IniSnapshot(rssIni));
}

std::vector<ListedSubscription> ReadSubscriptions(const wchar_t* rssIni) {
    IniSnapshot rss(rssIni);
    int count = BoundedCount(rss);
    std::vector<ListedSubscription> list(count > 0 ? count : 0);
    for (int number = 1; number <= count; ++number) {
        std::wstring section = RssSection(number);
        ListedSubscription& entry = list[number - 1];
        entry.number = number;
        entry.title = rss.Get(section.c_str(), L"title");
        entry.xmlUrl = rss.Get(section.c_str(), L"xmlUrl");
    }
    return list;
}

int FindSubscription(const wchar_t* rssIni, const ListedSubscription& listed) {
    IniSnapshot rss(rssIni);
    int count = BoundedCount(rss);
    return FindIn(rss, count, listed, std::vector<bool>(count > 0 ? count : 0));
}

int AppendSubscription(const wchar_t* rssIni, const wchar_t* title, const wchar_t* xmlUrl,
                       int cacheNumber, LONG updTime) {
    // A subscription that can never be fetched would sit in the menu empty.
    if (!xmlUrl || !IsUsableFeedAddress(xmlUrl)) return 0;
    StoreLock lock;
    EnsureUnicodeIniFile(rssIni);
    // A list that cannot be written (locked, read-only, disk full) would read
    // as empty and number the new feed 1: its cache would then replace the
    // cache of the subscription that really is number 1.
    if (!IsWritableFile(rssIni)) return 0;
    // A corrupt count must not number the feed past the end of the list.
    int number = ReadBoundedCount(rssIni) + 1;
    std::wstring section = RssSection(number);
    WriteIniNumber(rssIni, section.c_str(), L"updTime", updTime);
    WriteIniString(rssIni, section.c_str(), L"title", title ? title : L"");
    WriteIniString(rssIni, section.c_str(), L"xmlUrl", xmlUrl ? xmlUrl : L"");
    std::wstring cache = FeedCachePath(cacheNumber);
    std::wstring siteLink = ReadIniString(cache.c_str(), kMain, L"link");
    WriteIniString(rssIni, section.c_str(), L"htmlUrl", siteLink);
    WriteIniNumber(rssIni, kMain, kCount, number);
    // Only a subscription that made it into the list adopts the cache.
    if (ReadCount(rssIni) != number) return 0;
    std::wstring target = FeedCachePath(number);
    if (!ReplaceWithFile(target.c_str(), cache.c_str())) DeleteFileW(target.c_str());
    return number;
}

void RenameSubscription(const wchar_t* rssIni, int number, const wchar_t* title) {
    StoreLock lock;
    WriteIniString(rssIni, RssSection(number).c_str(), L"title", title ? title : L"");
}

bool RenameListedSubscription(const wchar_t* rssIni, const ListedSubscription& listed,
                              const wchar_t* title) {
    StoreLock lock;
    int number = FindSubscription(rssIni, listed);
    if (!number) return false;
    RenameSubscription(rssIni, number, title);
    return true;
}

void RemoveSubscriptions(const wchar_t* rssIni, const wchar_t* historyIni,
                         const std::vector<bool>& keep) {
    StoreLock lock;
    int removed = 0;
    int rows = static_cast<int>(keep.size());
    for (int i = 1; i <= rows; ++i) {
        if (keep[i - 1]) {
            MoveSubscription(rssIni, historyIni, i, i - removed);
        } else {
            DropSubscription(rssIni, historyIni, i);
            ++removed;
        }
    }
    WriteIniNumber(rssIni, kMain, kCount, rows - removed);
}

int RemoveListedSubscriptions(const wchar_t* rssIni, const wchar_t* historyIni,
                              const std::vector<ListedSubscription>& gone) {
    StoreLock lock;
    IniSnapshot rss(rssIni);
    int count = BoundedCount(rss);
    if (count <= 0) return 0;
    std::vector<bool> dropped(count, false);
    int removed = 0;
    for (const ListedSubscription& listed : gone) {
        int number = FindIn(rss, count, listed, dropped);
        if (!number) continue;
        dropped[number - 1] = true;
        ++removed;
    }
    if (!removed) return 0;
    std::vector<bool> keep(count);
    for (int i = 0; i < count; ++i) keep[i] = !dropped[i];
    RemoveSubscriptions(rssIni, historyIni, keep);
    return removed;
}

LONG CurrentUpdTime() {
    return static_cast<LONG>(time(nullptr));
}

void StampUpdTime(const wchar_t* rssIni, int number) {
    StoreLock lock;
    WriteIniNumber(rssIni, RssSection(number).c_str(), L"updTime", CurrentUpdTime());
}

bool IsStale(const wchar_t* rssIni, int number) {
    return IsStaleAt(rssIni, number, CurrentUpdTime());
}

bool IsStaleAt(const wchar_t* rssIni, int number, LONG now) {
    long stamp = ReadIniNumber(rssIni, RssSection(number).c_str(), L"updTime", -1);
    if (stamp == -1) return true;
    long long age = static_cast<long long>(now) - static_cast<long long>(stamp);
    return age >= 86400;
}
