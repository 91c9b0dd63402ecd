#pragma once
#include <windows.h>

#include <string>

#include "web/DownloadGuard.h"

enum class LoadOutcome { kLoaded, kDownloadFailed, kParseFailed, kCancelled };

// A feed loaded by an add dialog so that it can be added: its channel title
// and a private copy of the feed cache it was parsed into. The cache number k
// (0 and below) and the download name "k.xml" are shared by the dialogs of
// every button and browser process; the copy keeps another dialog's load with
// the same k from slipping its cache under this feed before it is added.
class LoadedFeed {
public:
    explicit LoadedFeed(int cacheNumber) : cacheNumber_(cacheNumber) {}
    ~LoadedFeed() { Discard(); }
    LoadedFeed(const LoadedFeed&) = delete;
    LoadedFeed& operator=(const LoadedFeed&) = delete;

    // Downloads address through a unique temporary file, moves it to "k.xml"
    // in the temporary folder and parses that into cache file k. Nothing
    // shared is written once the guard is cancelled.
    LoadOutcome Load(const wchar_t* address, const DownloadGuard& guard);

    bool IsLoaded() const { return !copy_.empty(); }
    // The channel's title from the cache, empty until loaded.
    const std::wstring& Title() const { return title_; }
    int CacheNumber() const { return cacheNumber_; }

    // Appends the subscription with this feed's cache (none when it was not
    // loaded, rather than whatever cache k another load left) and forgets the
    // feed. The subscription's number.
    int Append(const wchar_t* rssIni, const wchar_t* title, const wchar_t* xmlUrl, LONG updTime);
    // Forgets the loaded feed and deletes its copy.
    void Discard();

private:
    int cacheNumber_;
    std::wstring title_;
    std::wstring copy_;
};

// "k.xml" in the temporary folder: where the dialogs' downloads land.
std::wstring DialogDownloadPath(int cacheNumber);
