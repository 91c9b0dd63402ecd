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
    bool fetched;
    if (PrefersDirectDownload(address)) {
        fetched = DirectFetch(address, target, guard) ||
                  (!guard.Cancelled() && SystemDownload(address, target, guard));
    } else {
        fetched = SystemDownload(address, target, guard) ||
                  (!guard.Cancelled() && DirectFetch(address, target, guard));
    }
    return fetched ? 1 : 0;
}
