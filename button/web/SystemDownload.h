#pragma once
#include <windows.h>

#include "web/DownloadGuard.h"

// Downloads address into file with the system's URL moniker download
// (URLDownloadToFileW) and DownloadCallback. A download stopped by the guard
// fails and leaves no file behind.
bool SystemDownload(const wchar_t* address, const wchar_t* file,
                    const DownloadGuard& guard = DownloadGuard());
