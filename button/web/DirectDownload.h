#pragma once
#include <windows.h>

#include "web/DownloadGuard.h"

// GET of path from host on port 80 over WinINet into file. Fails on any
// client error, on an HTTP status outside 2xx (an error page is not the
// document), on a body cut short and on the guard's limits.
bool DirectDownload(const wchar_t* host, const wchar_t* path, const wchar_t* file,
                    const DownloadGuard& guard = DownloadGuard());

// Splits an address for DirectDownload: host name (at most 63 characters) and
// path with query (at most 127), decoded. Scheme and port are not kept.
bool SplitDownloadAddress(const wchar_t* address, wchar_t (&host)[64], wchar_t (&path)[128]);
