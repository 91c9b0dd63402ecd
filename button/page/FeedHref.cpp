#include "page/FeedHref.h"

#include <shlwapi.h>
#include <wininet.h>

#include "page/FeedLink.h"

std::wstring ResolveFeedHref(const wchar_t* href, const wchar_t* pageAddress) {
    if (!href || !href[0]) return std::wstring();
    std::wstring result = href;
    if (pageAddress && pageAddress[0]) {
        wchar_t combined[INTERNET_MAX_URL_LENGTH];
        DWORD size = INTERNET_MAX_URL_LENGTH;
        // Flags 0: dot segments are simplified, nothing is escaped.
        if (SUCCEEDED(UrlCombineW(pageAddress, href, combined, &size, 0))) {
            result = combined;
        }
    }
    if (result.size() > FeedLink::kMaxUrl) result.resize(FeedLink::kMaxUrl);
    return result;
}
