#pragma once
#include <windows.h>
#include <wininet.h>

#include <string>
#include <utility>
#include <vector>

#include "web/DownloadGuard.h"

// A small synchronous HTTP client over WinINet: Open, Connect, OpenRequest,
// Send, then ReadToFile or ReadToMemory. Each operation returns 0 on success,
// one of the codes below, or the system error of the failing WinINet call.
class HttpClient {
public:
    static constexpr DWORD kNoConnection = 3;  // request without internet handle and connection
    static constexpr DWORD kNoRequest = 4;     // send without an open request
    static constexpr DWORD kHeaderFailed = 5;  // the content-type header was refused
    static constexpr DWORD kNoServer = 8;      // connect without a server name
    static constexpr int kMaxRedirects = 10;

    HttpClient() = default;
    explicit HttpClient(const DownloadGuard& guard) : guard_(guard) {}
    ~HttpClient() { Close(); }
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    DWORD Open(const wchar_t* agent, DWORD flags);
    DWORD Connect(const wchar_t* server, INTERNET_PORT port, DWORD_PTR context);
    DWORD OpenRequest(const wchar_t* verb, const wchar_t* object, const wchar_t* referrer,
                      DWORD_PTR context, bool noCookies);
    BOOL AddCookie(const wchar_t* text);
    // Sends the request and follows up to kMaxRedirects redirects itself, so
    // that a redirect loop fails instead of running forever.
    DWORD Send(const char* body, DWORD length);
    // The HTTP status of the sent request, 0 when unknown.
    DWORD StatusCode();
    // Collects the body; stops at the guard's limits or cancel flag and then
    // returns kDownloadTooLarge, kDownloadTimedOut or kDownloadCancelled with
    // what was read. A broken connection returns its error.
    DWORD ReadToMemory(std::string& body);
    // Writes the body into path. A body the file did not fully take, a broken
    // connection, the size limit and the cancel flag fail, and a file that
    // failed is deleted.
    DWORD ReadToFile(const wchar_t* path);
    void Close();

private:
    struct RequestSetup {
        std::wstring verb;
        std::wstring referrer;
        bool hasReferrer = false;
        DWORD_PTR context = 0;
        DWORD flags = 0;
        std::wstring url;  // the address of the current request
        // Cookie headers with the host they were added for: a redirect to
        // another host must not carry the user's login there.
        std::vector<std::pair<std::wstring, std::wstring>> cookies;
    };

    DWORD OpenRequestFor(const wchar_t* object);
    // The redirect target of the sent request, or "" when it is no redirect.
    std::wstring RedirectTarget();
    DWORD FollowRedirect(const std::wstring& target);

    enum class ReadStep { kData, kEnd, kFailed };
    ReadStep ReadChunk(char* buffer, DWORD* got, DWORD* error);
    DWORD CheckGuard(ULONGLONG total) const;
    // Bytes announced by Content-Length, or -1 without one.
    long long ContentLength();

    DownloadGuard guard_;
    RequestSetup setup_;
    std::wstring server_;
    INTERNET_PORT port_ = 0;
    HINTERNET internet_ = nullptr;
    HINTERNET connection_ = nullptr;
    HINTERNET request_ = nullptr;
};
