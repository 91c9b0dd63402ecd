#include "support/CaptureServer.h"

#include <ws2tcpip.h>

#include <cstdlib>

CaptureServer::CaptureServer(const std::string& host) : host_(host) {
    InitializeCriticalSection(&lock_);
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) return;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr(host.c_str());
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = CreateThread(nullptr, 0, &CaptureServer::Serve, this, 0, nullptr);
}

CaptureServer::~CaptureServer() {
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    if (thread_) {
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    WSACleanup();
    DeleteCriticalSection(&lock_);
}

std::wstring CaptureServer::Url() const {
    std::string url = "http://" + host_ + ":" + std::to_string(port_);
    return std::wstring(url.begin(), url.end());
}

std::vector<std::string> CaptureServer::Requests() {
    EnterCriticalSection(&lock_);
    std::vector<std::string> requests = requests_;
    LeaveCriticalSection(&lock_);
    return requests;
}

DWORD WINAPI CaptureServer::Serve(void* self) {
    auto* server = static_cast<CaptureServer*>(self);
    for (;;) {
        SOCKET client = accept(server->listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return 0;  // the listener was closed
        server->Answer(client);
        closesocket(client);
    }
}

void CaptureServer::Answer(SOCKET client) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        head.append(buffer, got);
    }
    EnterCriticalSection(&lock_);
    requests_.push_back(head);
    LeaveCriticalSection(&lock_);
    static const char kReply[] =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 6\r\n"
        "Connection: close\r\n\r\nlanded";
    send(client, kReply, sizeof kReply - 1, 0);
    shutdown(client, SD_SEND);
}

std::string OtherLoopbackHost() {
    const char* shared = getenv("FEED_TEST_HOST");
    std::string host = shared && *shared ? shared : "127.0.0.1";
    return host == "127.0.0.1" ? "127.0.0.2" : "127.0.0.1";
}
