#pragma once

#include "web/DownloadGuard.h"

// True when the address matches one of the direct-first blog host patterns.
bool PrefersDirectDownload(const wchar_t* address);

// Downloads the feed at address into target: direct first for the blog hosts,
// otherwise the system download first, each falling back on the other.
// 1 when one of them stored the document, else 0.
int FetchFeed(const wchar_t* address, const wchar_t* target,
              const DownloadGuard& guard = DownloadGuard());
