#pragma once
// One feed download over WinINet (HTTP and HTTPS, certificate checks left
// on), bounded in time and size, following at most a few redirects itself,
// and conditional when validators of an earlier answer are at hand.
#include <windows.h>
#include <functional>
#include <string>

struct FetchLimits {
    DWORD connectTimeoutMs = 15000;
    DWORD receiveTimeoutMs = 20000;
    DWORD totalMs = 60000;  // the whole download, redirects included
    DWORD maxBytes = 8 * 1024 * 1024;
    int maxRedirects = 10;
};

struct FetchRequest {
    std::wstring address;
    std::string etag;          // sent as If-None-Match when not empty
    std::string lastModified;  // sent as If-Modified-Since when not empty
};

struct FetchResult {
    enum Outcome { kFailed, kNotModified, kFetched };
    Outcome outcome = kFailed;
    DWORD status = 0;           // HTTP status of the last answer, 0 without one
    DWORD error = 0;            // system or WinINet error of a failure, when there is one
    std::wstring finalAddress;  // after redirects: relative links resolve against it
    std::string etag;
    std::string lastModified;
};

// Downloads address into target (created or replaced; deleted again on
// failure). progress gets 1 once connected and up to 5 as the body arrives.
FetchResult FetchToFile(const FetchRequest& request, const std::wstring& target,
                        const std::function<void(int)>& progress,
                        const FetchLimits& limits = FetchLimits());

// relative resolved against base, or "" when WinINet cannot combine them.
std::wstring CombineUrl(const std::wstring& base, const std::wstring& relative);
