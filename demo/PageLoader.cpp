#include "PageLoader.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>

namespace {

// Only a stuck server runs into it, however busy the machine is.
const DWORD kTimeoutMs = 30000;

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_) InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_;
};

std::wstring TestHost() {
    const char* host = std::getenv("FEED_TEST_HOST");
    std::string name = host && *host ? host : "127.0.0.1";
    return std::wstring(name.begin(), name.end());
}

// "http://127.x.y.z[:port]/path" on the demo's server; empty for any other.
std::wstring OnDemoServer(const std::wstring& address) {
    const std::wstring scheme = L"http://";
    if (address.compare(0, scheme.size(), scheme) != 0) return L"";
    size_t hostEnd = address.find_first_of(L":/", scheme.size());
    std::wstring host = address.substr(scheme.size(), hostEnd - scheme.size());
    bool numeric = host.find_first_not_of(L"0123456789.") == std::wstring::npos;
    if (!(numeric && host.compare(0, 4, L"127.") == 0) && host != L"localhost") return L"";
    size_t path = address.find(L'/', scheme.size());
    return scheme + TestHost() + (path == std::wstring::npos ? L"/" : address.substr(path));
}

LoadedDocument Fetch(const std::wstring& address) {
    LoadedDocument document;
    InternetHandle session(
        InternetOpenW(L"FeedDemoFrame", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session.get()) {
        document.failure = L"WinINet 不可用";
        return document;
    }
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_SEND_TIMEOUT}) {
        DWORD value = kTimeoutMs;
        InternetSetOptionW(session.get(), option, &value, sizeof value);
    }
    InternetHandle request(InternetOpenUrlW(
        session.get(), address.c_str(), nullptr, 0,
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI, 0));
    if (!request.get()) {
        document.failure = L"无法连接服务器 (错误 " + std::to_wstring(GetLastError()) + L")";
        return document;
    }
    DWORD status = 0, size = sizeof status;
    HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                   nullptr);
    char buffer[8192];
    DWORD read = 0;
    while (document.bytes.size() < (8u << 20) &&
           InternetReadFile(request.get(), buffer, sizeof buffer, &read) && read) {
        document.bytes.append(buffer, read);
    }
    document.ok = status == 200;
    if (!document.ok) document.failure = L"服务器回答 HTTP " + std::to_wstring(status);
    return document;
}

LoadedDocument ReadFromDisk(const std::wstring& path) {
    LoadedDocument document;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        document.failure = L"找不到文件";
        return document;
    }
    char buffer[8192];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read)
        document.bytes.append(buffer, read);
    CloseHandle(file);
    document.ok = true;
    return document;
}

}  // namespace

LoadedDocument LoadDocument(const std::wstring& address) {
    if (address.size() > 2 && address[1] == L':') return ReadFromDisk(address);
    if (address.compare(0, 8, L"file:///") == 0) return ReadFromDisk(address.substr(8));
    std::wstring local = OnDemoServer(address);
    if (!local.empty()) return Fetch(local);
    LoadedDocument document;
    document.failure = L"演示浏览器只打开本机演示服务器上的页面";
    return document;
}

std::wstring ServerAddress(const std::wstring& path) {
    return L"http://" + TestHost() + path;
}
