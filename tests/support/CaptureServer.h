#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

// A second HTTP server of the test, on another loopback host than the
// shared test server and a port the system picks: it answers every request
// with 200 and a short body and keeps each request's head (request line and
// headers) as it arrived.
class CaptureServer {
public:
    // Listens on host (a dotted loopback address).
    explicit CaptureServer(const std::string& host);
    ~CaptureServer();
    CaptureServer(const CaptureServer&) = delete;
    CaptureServer& operator=(const CaptureServer&) = delete;

    bool Listening() const { return listener_ != INVALID_SOCKET; }
    // "http://host:port" without a trailing slash.
    std::wstring Url() const;
    // The heads received so far, oldest first.
    std::vector<std::string> Requests();

private:
    static DWORD WINAPI Serve(void* self);
    void Answer(SOCKET client);

    std::string host_;
    unsigned short port_ = 0;
    SOCKET listener_ = INVALID_SOCKET;
    HANDLE thread_ = nullptr;
    CRITICAL_SECTION lock_;
    std::vector<std::string> requests_;
};

// A loopback address other than the shared test server's.
std::string OtherLoopbackHost();
