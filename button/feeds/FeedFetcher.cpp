#include "feeds/FeedFetcher.h"

#include <cwchar>

#include "feeds/FetchConfig.h"
#include "web/DirectDownload.h"
#include "web/SystemDownload.h"

namespace {
bool DirectFetch(const wchar_t* address, const wchar_t* target, const DownloadGuard& guard) {
    wchar_t host[64];
    wchar_t path[128];
    return SplitDownloadAddress(address, host, path) && DirectDownload(host, path, target, guard);
}
}  // namespace

bool PrefersDirectDownload(const wchar_t* address) {
    if (!address) return false;
    for (const wchar_t* pattern : kDirectFirstAddressPatterns) {
        if (wcsstr(address, pattern)) return true;
    }
    return false;
}

int FetchFeed(const wchar_t* address, const wchar_t* target, const DownloadGuard& guard) {
    if (!address || !*address || !target) return 0;
    // Both methods share one time limit: a server that stalls the first must
    // not get the whole time again from the second.
    const DownloadGuard timed = guard.Restarted();
    auto mayRetry = [&timed] { return !timed.Cancelled() && !timed.Expired(); };
    bool fetched;
    if (PrefersDirectDownload(address)) {
        fetched = DirectFetch(address, target, timed) ||
                  (mayRetry() && SystemDownload(address, target, timed));
    } else {
        fetched = SystemDownload(address, target, timed) ||
                  (mayRetry() && DirectFetch(address, target, timed));
    }
    return fetched ? 1 : 0;
}
