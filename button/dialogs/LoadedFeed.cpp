#include "dialogs/LoadedFeed.h"

#include <cwchar>

#include "feeds/FeedCache.h"
#include "feeds/FeedFetcher.h"
#include "feeds/FeedParser.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionStore.h"

namespace {

// Held while a dialog turns its download into cache k and copies it, and
// while it puts the copy back and appends: the steps that use the shared names.
const wchar_t kCacheMutexName[] = L"RssAddCache";
constexpr DWORD kCacheLockWait = 10000;

class SharedCacheLock {
public:
    SharedCacheLock() : mutex_(CreateMutexW(nullptr, FALSE, kCacheMutexName)) {
        // A lock that cannot be had in time is worked around, not waited on forever.
        if (mutex_) {
            DWORD waited = WaitForSingleObject(mutex_, kCacheLockWait);
            owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~SharedCacheLock() {
        if (owned_) ReleaseMutex(mutex_);
        if (mutex_) CloseHandle(mutex_);
    }
    SharedCacheLock(const SharedCacheLock&) = delete;
    SharedCacheLock& operator=(const SharedCacheLock&) = delete;

private:
    HANDLE mutex_;
    bool owned_ = false;
};

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = L"";
    DWORD length = GetTempPathW(MAX_PATH, folder);
    return length && length < MAX_PATH ? folder : L"";
}

std::wstring UniqueTempFile(const wchar_t* prefix) {
    wchar_t name[MAX_PATH] = L"";
    if (!GetTempFileNameW(TempFolder().c_str(), prefix, 0, name)) return L"";
    return name;
}

}  // namespace

std::wstring DialogDownloadPath(int cacheNumber) {
    wchar_t name[32];
    swprintf(name, 32, L"%d.xml", cacheNumber);
    return TempFolder() + name;
}

LoadOutcome LoadedFeed::Load(const wchar_t* address, const DownloadGuard& guard) {
    Discard();
    std::wstring download = UniqueTempFile(L"_t");
    if (download.empty()) return LoadOutcome::kDownloadFailed;
    bool fetched = FetchFeed(address, download.c_str(), guard) != 0;
    if (!fetched || guard.Cancelled()) {
        DeleteFileW(download.c_str());
        return guard.Cancelled() ? LoadOutcome::kCancelled : LoadOutcome::kDownloadFailed;
    }

    SharedCacheLock lock;
    if (guard.Cancelled()) {
        DeleteFileW(download.c_str());
        return LoadOutcome::kCancelled;
    }
    std::wstring fixed = DialogDownloadPath(cacheNumber_);
    bool moved = MoveFileExW(download.c_str(), fixed.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    DeleteFileW(download.c_str());
    if (!moved) return LoadOutcome::kDownloadFailed;
    bool parsed = ParseFeedFile(fixed.c_str(), cacheNumber_) != 0;
    DeleteFileW(fixed.c_str());
    if (!parsed) return LoadOutcome::kParseFailed;

    std::wstring cache = FeedCachePath(cacheNumber_);
    std::wstring copy = UniqueTempFile(L"_c");
    if (copy.empty() || !CopyFileW(cache.c_str(), copy.c_str(), FALSE)) {
        if (!copy.empty()) DeleteFileW(copy.c_str());
        return LoadOutcome::kParseFailed;
    }
    title_ = ReadIniString(cache.c_str(), L"main", L"title");
    copy_ = copy;
    return LoadOutcome::kLoaded;
}

int LoadedFeed::Append(const wchar_t* rssIni, const wchar_t* title, const wchar_t* xmlUrl,
                       LONG updTime) {
    int number;
    {
        SharedCacheLock lock;
        std::wstring cache = FeedCachePath(cacheNumber_);
        if (copy_.empty() || !CopyFileW(copy_.c_str(), cache.c_str(), FALSE)) {
            DeleteFileW(cache.c_str());
        }
        number = AppendSubscription(rssIni, title, xmlUrl, cacheNumber_, updTime);
    }
    Discard();
    return number;
}

void LoadedFeed::Discard() {
    if (!copy_.empty()) DeleteFileW(copy_.c_str());
    copy_.clear();
    title_.clear();
}
