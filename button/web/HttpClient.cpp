#include "web/HttpClient.h"

#include <cwchar>

namespace {
constexpr DWORD kChunk = 1024;

void CloseHandleIfOpen(HINTERNET& handle) {
    if (handle) InternetCloseHandle(handle);
    handle = nullptr;
}

DWORD ErrorOr(DWORD fallback) {
    DWORD error = GetLastError();
    return error ? error : fallback;
}
}  // namespace

DWORD HttpClient::Open(const wchar_t* agent, DWORD flags) {
    Close();
    internet_ = InternetOpenW(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, flags);
    if (!internet_) return ErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
    // A server that accepts and then stays silent ends no later than the
    // guard's time limit.
    DWORD wait = guard_.RemainingMs() ? guard_.RemainingMs() : 1;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionW(internet_, option, &wait, sizeof wait);
    return 0;
}

DWORD HttpClient::Connect(const wchar_t* server, INTERNET_PORT port, DWORD_PTR context) {
    if (!server || !*server) return kNoServer;
    if (!internet_) {
        DWORD error = Open(nullptr, 0);
        if (error) return error;
    }
    CloseHandleIfOpen(request_);
    CloseHandleIfOpen(connection_);
    connection_ = InternetConnectW(internet_, server, port, nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                   0, context);
    if (!connection_) return ErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
    server_ = server;
    port_ = port;
    setup_.context = context;
    return 0;
}

DWORD HttpClient::OpenRequest(const wchar_t* verb, const wchar_t* object, const wchar_t* referrer,
                              DWORD_PTR context, bool noCookies) {
    if (!internet_ || !connection_) return kNoConnection;
    setup_.verb = verb ? verb : L"GET";
    setup_.hasReferrer = referrer != nullptr;
    setup_.referrer = referrer ? referrer : L"";
    setup_.context = context;
    setup_.cookies.clear();
    // Redirects are followed by Send, which counts them.
    setup_.flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                   INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI |
                   INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (noCookies) setup_.flags |= INTERNET_FLAG_NO_COOKIES;
    std::wstring path = object && *object ? object : L"/";
    wchar_t port[16];
    swprintf(port, 16, L":%u", static_cast<unsigned>(port_));
    setup_.url = L"http://" + server_ + port + (path[0] == L'/' ? L"" : L"/") + path;
    return OpenRequestFor(object);
}

DWORD HttpClient::OpenRequestFor(const wchar_t* object) {
    CloseHandleIfOpen(request_);
    const wchar_t* acceptTypes[] = {L"text/*", nullptr};
    request_ = HttpOpenRequestW(connection_, setup_.verb.c_str(), object, L"HTTP/1.1",
                                setup_.hasReferrer ? setup_.referrer.c_str() : nullptr, acceptTypes,
                                setup_.flags, setup_.context);
    if (!request_) return ErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
    for (const auto& cookie : setup_.cookies) {
        if (lstrcmpiW(cookie.first.c_str(), server_.c_str()) != 0) continue;
        const std::wstring& header = cookie.second;
        HttpAddRequestHeadersW(request_, header.c_str(), static_cast<DWORD>(header.size()),
                               HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON);
    }
    return 0;
}

BOOL HttpClient::AddCookie(const wchar_t* text) {
    if (!request_ || !text) return FALSE;
    std::wstring header = L"Cookie:";
    header += text;
    BOOL added =
        HttpAddRequestHeadersW(request_, header.c_str(), static_cast<DWORD>(header.size()),
                               HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON);
    if (added) setup_.cookies.emplace_back(server_, header);
    return added;
}

DWORD HttpClient::Send(const char* body, DWORD length) {
    if (!request_) return kNoRequest;
    if (body && length) {
        static const wchar_t kType[] = L"Content-Type: application/x-www-form-urlencoded";
        if (!HttpAddRequestHeadersW(request_, kType, static_cast<DWORD>(wcslen(kType)),
                                    HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE))
            return kHeaderFailed;
    }
    for (int redirects = 0;; ++redirects) {
        if (!HttpSendRequestW(request_, nullptr, 0, const_cast<char*>(body), body ? length : 0))
            return ErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
        if (guard_.Expired()) return kDownloadTimedOut;
        std::wstring target = RedirectTarget();
        if (target.empty()) return 0;
        if (redirects == kMaxRedirects) return ERROR_HTTP_REDIRECT_FAILED;
        DWORD error = FollowRedirect(target);
        if (error) return error;
        body = nullptr;  // a redirected form post continues as a plain GET
        setup_.verb = L"GET";
    }
}

std::wstring HttpClient::RedirectTarget() {
    DWORD status = StatusCode();
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
        return std::wstring();
    wchar_t location[2084] = L"";
    DWORD size = sizeof location - sizeof(wchar_t);
    if (!HttpQueryInfoW(request_, HTTP_QUERY_LOCATION, location, &size, nullptr))
        return std::wstring();
    wchar_t combined[2084];
    DWORD combinedLength = 2084;
    if (!InternetCombineUrlW(setup_.url.c_str(), location, combined, &combinedLength, 0))
        return std::wstring();
    return combined;
}

DWORD HttpClient::FollowRedirect(const std::wstring& target) {
    wchar_t host[256];
    wchar_t path[2084];
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2084;
    if (!InternetCrackUrlW(target.c_str(), 0, 0, &parts))
        return ErrorOr(ERROR_HTTP_REDIRECT_FAILED);
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) {
        setup_.flags |= INTERNET_FLAG_SECURE;
    } else if (parts.nScheme == INTERNET_SCHEME_HTTP) {
        setup_.flags &= ~static_cast<DWORD>(INTERNET_FLAG_SECURE);
    } else {
        return ERROR_HTTP_REDIRECT_FAILED;
    }
    if (server_ != host || port_ != parts.nPort) {
        CloseHandleIfOpen(request_);
        CloseHandleIfOpen(connection_);
        connection_ = InternetConnectW(internet_, host, parts.nPort, nullptr, nullptr,
                                       INTERNET_SERVICE_HTTP, 0, setup_.context);
        if (!connection_) return ErrorOr(ERROR_INTERNET_INTERNAL_ERROR);
        server_ = host;
        port_ = parts.nPort;
    }
    setup_.url = target;
    return OpenRequestFor(path[0] ? path : L"/");
}

DWORD HttpClient::StatusCode() {
    if (!request_) return 0;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        return 0;
    return status;
}

long long HttpClient::ContentLength() {
    wchar_t text[32] = L"";
    DWORD size = sizeof text;
    if (!HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
    return _wtoi64(text);
}

HttpClient::ReadStep HttpClient::ReadChunk(char* buffer, DWORD* got, DWORD* error) {
    *got = 0;
    // Only what has arrived is asked for: a full chunk from a server that
    // drips would block long after the guard's time limit.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request_, &available, 0, 0)) {
        *error = ErrorOr(ERROR_INTERNET_CONNECTION_RESET);
        return ReadStep::kFailed;
    }
    if (available == 0) return ReadStep::kEnd;
    if (!InternetReadFile(request_, buffer, available < kChunk ? available : kChunk, got)) {
        *error = ErrorOr(ERROR_INTERNET_CONNECTION_RESET);
        return ReadStep::kFailed;
    }
    return *got ? ReadStep::kData : ReadStep::kEnd;
}

DWORD HttpClient::CheckGuard(ULONGLONG total) const {
    if (guard_.Cancelled()) return kDownloadCancelled;
    if (total > guard_.maxBytes) return kDownloadTooLarge;
    if (guard_.Expired()) return kDownloadTimedOut;
    return 0;
}

DWORD HttpClient::ReadToMemory(std::string& body) {
    if (!request_) return kNoRequest;
    char buffer[kChunk];
    DWORD got = 0;
    DWORD error = 0;
    while (ReadChunk(buffer, &got, &error) == ReadStep::kData) {
        DWORD stop = CheckGuard(body.size() + got);
        if (stop) return stop;
        body.append(buffer, got);
    }
    if (error) return error;
    // A connection closed before the announced length is no complete reply.
    long long announced = ContentLength();
    if (announced >= 0 && static_cast<ULONGLONG>(announced) != body.size())
        return ERROR_INTERNET_CONNECTION_RESET;
    return 0;
}

DWORD HttpClient::ReadToFile(const wchar_t* path) {
    if (!request_) return kNoRequest;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ErrorOr(ERROR_CANNOT_MAKE);

    char buffer[kChunk];
    ULONGLONG total = 0;
    DWORD result = 0;
    DWORD got = 0;
    ReadStep step;
    while ((step = ReadChunk(buffer, &got, &result)) == ReadStep::kData) {
        total += got;
        if ((result = CheckGuard(total)) != 0) break;
        DWORD written = 0;
        if (!WriteFile(file, buffer, got, &written, nullptr) || written != got) {
            result = ErrorOr(ERROR_WRITE_FAULT);
            break;
        }
    }
    long long announced = result ? -1 : ContentLength();
    if (!result && announced >= 0 && static_cast<ULONGLONG>(announced) != total)
        result = ERROR_INTERNET_CONNECTION_RESET;
    CloseHandle(file);
    if (result) DeleteFileW(path);
    return result;
}

void HttpClient::Close() {
    CloseHandleIfOpen(request_);
    CloseHandleIfOpen(connection_);
    CloseHandleIfOpen(internet_);
}
