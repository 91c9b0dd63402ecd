#pragma once
#include <windows.h>

#include "web/DownloadGuard.h"

// Bringing subscriptions of "rss.ini" up to date: each one is downloaded from
// its xmlUrl and parsed into its feed cache. stop, when given, is checked
// between subscriptions and aborts the running download; a stopped refresh
// leaves the rest of the subscriptions as they were.

// 1 when the feed was fetched and parsed. The subscription's updTime is
// written also when the download or the parse failed, so a failing feed waits
// a day before the stale refresh tries it again; a stopped one is not
// stamped, nor one whose download or cache could not be replaced because
// another program held the file, so that its new content is tried again.
// timeLimitMs, when not 0, replaces the download's usual time limit.
int RefreshSubscription(const wchar_t* rssIni, int number, const DownloadCancel* stop = nullptr,
                        DWORD timeLimitMs = 0);

// Subscriptions 1..count in order.
void RefreshAll(const wchar_t* rssIni, const DownloadCancel* stop = nullptr);

// Only the subscriptions that are a day old or were never refreshed.
void RefreshStale(const wchar_t* rssIni, const DownloadCancel* stop = nullptr);

// Only the imported subscriptions that have no cache yet.
void RefreshImported(const wchar_t* rssIni, const DownloadCancel* stop = nullptr);
