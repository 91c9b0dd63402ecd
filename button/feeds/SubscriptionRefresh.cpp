#include "feeds/SubscriptionRefresh.h"

#include <cwchar>
#include <string>

#include "feeds/FeedCache.h"
#include "feeds/FeedFetcher.h"
#include "feeds/FeedParser.h"
#include "feeds/IniSnapshot.h"
#include "feeds/StoreFile.h"
#include "feeds/StoreLock.h"
#include "feeds/SubscriptionImport.h"
#include "feeds/SubscriptionStore.h"

namespace {

bool Stopped(const DownloadCancel* stop) {
    return stop && stop->IsCancelled();
}

// "%d.xml" in the system's temporary folder: where a downloaded feed waits
// for the parser.
std::wstring DownloadPath(const wchar_t* tempFolder, int number) {
    wchar_t name[32];
    swprintf(name, 32, L"%d.xml", number);
    return std::wstring(tempFolder) + name;
}

enum class Downloaded { kYes, kFailed, kNotPlaced };

// Downloads into a fresh temporary file and moves it onto target. A file of
// an earlier run is replaced; a failed download leaves no file behind, nor
// does a download that could not be moved onto target (another program holds
// it).
Downloaded Download(const std::wstring& address, const wchar_t* tempFolder,
                    const std::wstring& target, const DownloadGuard& guard) {
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(tempFolder, L"_t", 0, temp)) return Downloaded::kFailed;
    if (!FetchFeed(address.c_str(), temp, guard)) {
        DeleteFileW(temp);
        return Downloaded::kFailed;
    }
    if (!MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        DeleteFileW(temp);
        return Downloaded::kNotPlaced;
    }
    return Downloaded::kYes;
}

bool SameAddress(const wchar_t* rssIni, int number, const std::wstring& address) {
    return ReadIniString(rssIni, NumberedSection(L"rss", number).c_str(), L"xmlUrl") == address;
}

}  // namespace

int RefreshSubscription(const wchar_t* rssIni, int number, const DownloadCancel* stop,
                        DWORD timeLimitMs) {
    wchar_t tempFolder[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, tempFolder);
    if (!length || length >= MAX_PATH) return 0;
    std::wstring address =
        ReadIniString(rssIni, NumberedSection(L"rss", number).c_str(), L"xmlUrl");
    std::wstring target = DownloadPath(tempFolder, number);
    DownloadGuard guard;
    guard.cancel = stop;
    if (timeLimitMs) guard.timeLimitMs = timeLimitMs;

    // A download that failed parses nothing: a "%d.xml" left by an earlier
    // run is not this feed's new content.
    Downloaded downloaded = Download(address, tempFolder, target, guard);
    // The feed was had but could not be put in place: a stamp would keep the
    // new content away for a day.
    if (downloaded == Downloaded::kNotPlaced) return 0;
    int parsed = 0;
    {
        // The list may have been renumbered while the download ran: the
        // number then belongs to another feed, which must not get this
        // content or this stamp.
        StoreLock lock;
        if (SameAddress(rssIni, number, address)) {
            bool replaceFailed = false;
            if (downloaded == Downloaded::kYes)
                parsed = ParseFeedFile(target.c_str(), number, &replaceFailed);
            if (!Stopped(stop) && !replaceFailed) StampUpdTime(rssIni, number);
        }
    }
    if (downloaded == Downloaded::kYes) DeleteFileW(target.c_str());
    return parsed;
}

void RefreshAll(const wchar_t* rssIni, const DownloadCancel* stop) {
    int count = ReadBoundedCount(rssIni);
    for (int number = 1; number <= count && !Stopped(stop); ++number) {
        RefreshSubscription(rssIni, number, stop);
    }
}

void RefreshStale(const wchar_t* rssIni, const DownloadCancel* stop) {
    int count = ReadBoundedCount(rssIni);
    for (int number = 1; number <= count && !Stopped(stop); ++number) {
        if (IsStale(rssIni, number)) RefreshSubscription(rssIni, number, stop);
    }
}

void RefreshImported(const wchar_t* rssIni, const DownloadCancel* stop) {
    IniSnapshot rss(rssIni);
    int count = BoundedCount(rss);
    for (int number = 1; number <= count && !Stopped(stop); ++number) {
        if (WasImported(rss, number) && !FileExists(FeedCachePath(number).c_str()))
            RefreshSubscription(rssIni, number, stop);
    }
}
