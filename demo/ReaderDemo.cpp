#include "ReaderDemo.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/HostToolbar.h"
#include "web/HttpClient.h"
#include "web/ReaderService.h"
#include "web/ReaderSync.h"

namespace {

std::string TestServerHost() {
    const char* host = std::getenv("FEED_TEST_HOST");
    return host && *host ? host : "127.0.0.1";
}

std::string ServerGet(const std::string& host, const wchar_t* path) {
    std::wstring server(host.begin(), host.end());
    HttpClient client;
    std::string body;
    if (!client.Connect(server.c_str(), 80, 0) &&
        !client.OpenRequest(L"GET", path, nullptr, 0, true) && !client.Send(nullptr, 0))
        client.ReadToMemory(body);
    return body;
}

// Prints "name": "value" pairs of the stand-in's JSON record.
void PrintField(const std::string& json, const char* name) {
    std::string key = std::string("\"") + name + "\": \"";
    for (size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1)) {
        size_t start = at + key.size();
        std::printf("    %s: %s\n", name,
                    json.substr(start, json.find('"', start) - start).c_str());
    }
}

}  // namespace

std::wstring UseStandInReaderService() {
    std::string server = TestServerHost();
    std::wstring service = L"http://" + std::wstring(server.begin(), server.end());
    SetEnvironmentVariableW(kReaderServiceTestVariable, service.c_str());
    ServerGet(server, L"/_reset");
    return service;
}

void PrintReaderRequests() {
    std::string json = ServerGet(TestServerHost(), L"/_requests?tag=reader");
    PrintField(json, "path");
    PrintField(json, "Cookie");
}

bool ShowReaderSubscription(HostToolbar& host, const std::wstring& feedAddress) {
    std::wstring service = UseStandInReaderService();
    DWORD user = 0;
    wchar_t key[513] = L"";
    bool loggedIn = SUCCEEDED(host.Host()->GetLogin(&user, key, 513));
    std::printf("web reader at the stand-in service %ls, host user %lu %s:\n", service.c_str(),
                static_cast<unsigned long>(user), loggedIn ? "logged in" : "logged out");
    bool accepted = ReaderSubscribe(host.Host(), user, feedAddress.c_str());
    PrintReaderRequests();
    std::printf("  subscription %s\n", accepted ? "accepted" : "not accepted");
    return accepted;
}
