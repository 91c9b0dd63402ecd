#include "engine/EngineFetch.h"

#include <wininet.h>

#include "common/FileHandle.h"
#include "common/InternetHandle.h"

namespace {

const wchar_t kAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; RSS_Feed)";

class OutputFile {
public:
    explicit OutputFile(const std::wstring& path)
        : path_(path),
          file_(OwnFile(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr))) {}
    // A download that did not finish leaves nothing behind.
    ~OutputFile() {
        file_.Reset();
        if (!kept_) DeleteFileW(path_.c_str());
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool IsOpen() const { return static_cast<bool>(file_); }
    bool Write(const char* data, DWORD size) {
        DWORD written = 0;
        return WriteFile(file_.Get(), data, size, &written, nullptr) && written == size;
    }
    void Keep() {
        file_.Reset();
        kept_ = true;
    }

private:
    std::wstring path_;
    FileHandle file_;
    bool kept_ = false;
};

struct UrlParts {
    bool secure = false;
    INTERNET_PORT port = 0;
    std::wstring host;
    std::wstring object;  // path and query
};

bool SplitUrl(const std::wstring& address, UrlParts& parts) {
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH] = L"";
    std::wstring path(address.size() + 1, L'\0');
    std::wstring extra(address.size() + 1, L'\0');
    URL_COMPONENTSW url = {};
    url.dwStructSize = sizeof(url);
    url.lpszHostName = host;
    url.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH;
    url.lpszUrlPath = &path[0];
    url.dwUrlPathLength = static_cast<DWORD>(path.size());
    url.lpszExtraInfo = &extra[0];
    url.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!InternetCrackUrlW(address.c_str(), static_cast<DWORD>(address.size()), 0, &url))
        return false;
    if (url.nScheme != INTERNET_SCHEME_HTTP && url.nScheme != INTERNET_SCHEME_HTTPS) return false;
    if (!host[0]) return false;
    parts.secure = url.nScheme == INTERNET_SCHEME_HTTPS;
    parts.port = url.nPort;
    parts.host = host;
    parts.object = std::wstring(path.c_str()) + extra.c_str();
    if (parts.object.empty() || parts.object[0] != L'/') parts.object.insert(0, L"/");
    // The fragment is the browser's business, never the server's.
    size_t hash = parts.object.find(L'#');
    if (hash != std::wstring::npos) parts.object.resize(hash);
    return true;
}

std::string QueryText(HINTERNET request, DWORD what) {
    char buffer[1024];
    DWORD size = sizeof(buffer) - 1;
    DWORD index = 0;
    if (!HttpQueryInfoA(request, what, buffer, &size, &index)) return std::string();
    return std::string(buffer, size);
}

DWORD QueryNumber(HINTERNET request, DWORD what, DWORD fallback) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD index = 0;
    if (!HttpQueryInfoW(request, what | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index))
        return fallback;
    return value;
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Header values come from our own earlier answers; anything that could end
// the header line is refused rather than sent.
bool IsHeaderSafe(const std::string& value) {
    return value.find_first_of("\r\n") == std::string::npos && value.size() < 512;
}

std::wstring ConditionalHeaders(const FetchRequest& request) {
    std::string headers;
    if (!request.etag.empty() && IsHeaderSafe(request.etag))
        headers += "If-None-Match: " + request.etag + "\r\n";
    if (!request.lastModified.empty() && IsHeaderSafe(request.lastModified))
        headers += "If-Modified-Since: " + request.lastModified + "\r\n";
    return std::wstring(headers.begin(), headers.end());
}

class Download {
public:
    Download(const FetchRequest& request, const std::wstring& target,
             const std::function<void(int)>& progress, const FetchLimits& limits)
        : request_(request),
          target_(target),
          progress_(progress),
          limits_(limits),
          start_(GetTickCount()) {}

    FetchResult Run();

private:
    bool OpenSession();
    void SetTimeouts(HINTERNET handle) const;
    // Sends one request; false on a transport failure.
    bool Send(const std::wstring& address, InternetHandle& connection, InternetHandle& handle);
    void ReadBody(HINTERNET handle);
    bool TimeLeft() const { return GetTickCount() - start_ < limits_.totalMs; }
    void Report(int value) const {
        if (progress_) progress_(value);
    }
    void Fail(DWORD error) {
        result_.outcome = FetchResult::kFailed;
        result_.error = error;
    }

    const FetchRequest& request_;
    const std::wstring& target_;
    const std::function<void(int)>& progress_;
    const FetchLimits& limits_;
    DWORD start_;
    InternetHandle session_;
    FetchResult result_;
};

void Download::SetTimeouts(HINTERNET handle) const {
    DWORD connect = limits_.connectTimeoutMs;
    DWORD receive = limits_.receiveTimeoutMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof(receive));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

bool Download::OpenSession() {
    session_.Reset(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session_) return false;
    SetTimeouts(session_.Get());
    return true;
}

bool Download::Send(const std::wstring& address, InternetHandle& connection,
                    InternetHandle& handle) {
    UrlParts parts;
    if (!SplitUrl(address, parts)) {
        Fail(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
        return false;
    }
    connection.Reset(InternetConnectW(session_.Get(), parts.host.c_str(), parts.port, nullptr,
                                      nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
        Fail(GetLastError());
        return false;
    }
    // Redirects are followed here, so that their number stays bounded; the
    // cache is bypassed, so that only our own validators make a request
    // conditional.
    DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD |
                  INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    if (parts.secure) flags |= INTERNET_FLAG_SECURE;
    const wchar_t* accept[] = {L"*/*", nullptr};
    handle.Reset(HttpOpenRequestW(connection.Get(), L"GET", parts.object.c_str(), nullptr, nullptr,
                                  accept, flags, 0));
    if (!handle) {
        Fail(GetLastError());
        return false;
    }
    SetTimeouts(handle.Get());
    std::wstring headers = ConditionalHeaders(request_);
    if (!headers.empty())
        HttpAddRequestHeadersW(handle.Get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                               HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    if (!HttpSendRequestW(handle.Get(), nullptr, 0, nullptr, 0)) {
        Fail(GetLastError());
        return false;
    }
    return true;
}

void Download::ReadBody(HINTERNET handle) {
    OutputFile file(target_);
    if (!file.IsOpen()) return Fail(GetLastError());
    DWORD announced = QueryNumber(handle, HTTP_QUERY_CONTENT_LENGTH, 0);
    if (announced > limits_.maxBytes) return Fail(ERROR_FILE_TOO_LARGE);
    char buffer[16384];
    DWORD total = 0;
    for (;;) {
        if (!TimeLeft()) return Fail(ERROR_INTERNET_TIMEOUT);
        // Asking for only what has arrived keeps a trickling body from
        // holding one read far past the deadline.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(handle, &available, 0, 0)) return Fail(GetLastError());
        DWORD wanted = available && available < sizeof(buffer) ? available : sizeof(buffer);
        DWORD got = 0;
        if (!InternetReadFile(handle, buffer, wanted, &got)) return Fail(GetLastError());
        if (got == 0) break;
        total += got;
        if (total > limits_.maxBytes) return Fail(ERROR_FILE_TOO_LARGE);
        if (!file.Write(buffer, got)) return Fail(GetLastError());
        if (announced) Report(1 + static_cast<int>(4ULL * total / announced));
    }
    // A connection closed early reads as a normal end: only the announced
    // length tells a cut body from a whole one.
    if (announced && total != announced) return Fail(ERROR_INTERNET_CONNECTION_ABORTED);
    file.Keep();
    result_.outcome = FetchResult::kFetched;
    Report(5);
}

FetchResult Download::Run() {
    if (!OpenSession()) {
        Fail(GetLastError());
        return result_;
    }
    std::wstring address = request_.address;
    for (int hop = 0; hop <= limits_.maxRedirects; ++hop) {
        if (!TimeLeft()) {
            Fail(ERROR_INTERNET_TIMEOUT);
            return result_;
        }
        InternetHandle connection;
        InternetHandle handle;
        if (!Send(address, connection, handle)) return result_;
        Report(1);
        result_.finalAddress = address;
        result_.status = QueryNumber(handle.Get(), HTTP_QUERY_STATUS_CODE, 0);
        if (IsRedirect(result_.status)) {
            std::string location = QueryText(handle.Get(), HTTP_QUERY_LOCATION);
            address = CombineUrl(address, std::wstring(location.begin(), location.end()));
            if (address.empty()) break;
            continue;
        }
        result_.etag = QueryText(handle.Get(), HTTP_QUERY_ETAG);
        result_.lastModified = QueryText(handle.Get(), HTTP_QUERY_LAST_MODIFIED);
        if (result_.status == 304) {
            result_.outcome = FetchResult::kNotModified;
        } else if (result_.status == 200 || result_.status == 203) {
            ReadBody(handle.Get());
        }
        return result_;
    }
    Fail(ERROR_HTTP_REDIRECT_FAILED);
    return result_;
}

}  // namespace

std::wstring CombineUrl(const std::wstring& base, const std::wstring& relative) {
    DWORD size = static_cast<DWORD>(base.size() + relative.size() + 64);
    std::wstring out(size, L'\0');
    if (!InternetCombineUrlW(base.c_str(), relative.c_str(), &out[0], &size, ICU_NO_ENCODE))
        return std::wstring();
    out.resize(size);
    return out;
}

FetchResult FetchToFile(const FetchRequest& request, const std::wstring& target,
                        const std::function<void(int)>& progress, const FetchLimits& limits) {
    return Download(request, target, progress, limits).Run();
}
