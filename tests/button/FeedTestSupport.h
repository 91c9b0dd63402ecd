#pragma once
// Helpers shared by the store, parser and download tests: the plug-in's data
// folder under the Wine profile, scratch copies of fixtures, the local HTTP
// test server and its request record.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/ToolbarEnvironment.h"
#include "support/Patience.h"
#include "support/TestPaths.h"
#include "web/HttpClient.h"

namespace feedtest {

inline std::wstring DataFile(const wchar_t* name) {
    wchar_t path[MAX_PATH] = L"";
    RssDataPath(path, name);
    return path;
}

// Empties the data folder so that every test starts from a fresh store.
inline void ClearDataFolder() {
    std::wstring folder = DataFile(L"");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                             const wchar_t* fallback = L"<missing>") {
    wchar_t value[4096];
    GetPrivateProfileStringW(section, key, fallback, value, 4096, file.c_str());
    return value;
}

// A scratch file in the temporary folder, deleted at the end of the scope.
class ScratchFile {
public:
    ScratchFile() {
        wchar_t folder[MAX_PATH];
        wchar_t name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"_t", 0, name);
        path_ = name;
    }
    // A copy of the fixture tests/data/feeds/<name>: parsing may rewrite it.
    explicit ScratchFile(const char* fixture) : ScratchFile() {
        CopyFileW(SourcePath(std::string("tests/data/feeds/") + fixture).c_str(), path_.c_str(),
                  FALSE);
    }
    ~ScratchFile() { DeleteFileW(path_.c_str()); }
    const wchar_t* Path() const { return path_.c_str(); }
    std::string Bytes() const { return ReadBytes(path_); }

private:
    std::wstring path_;
};

// The loopback address of the HTTP test server (port 80).
inline std::wstring ServerHost() {
    const char* host = getenv("FEED_TEST_HOST");
    std::string text = host && *host ? host : "127.0.0.1";
    return std::wstring(text.begin(), text.end());
}

inline std::wstring ServerUrl(const std::wstring& pathAndQuery, const wchar_t* port = L"") {
    return L"http://" + ServerHost() + port + pathAndQuery;
}

// GET of a control path of the server (its JSON request record), in memory.
inline std::string ServerGet(const std::wstring& pathAndQuery) {
    HttpClient client;
    std::string body;
    if (client.Connect(ServerHost().c_str(), 80, 0) ||
        client.OpenRequest(L"GET", pathAndQuery.c_str(), nullptr, 0, true) ||
        client.Send(nullptr, 0))
        return body;
    client.ReadToMemory(body);
    return body;
}

inline std::string RecordedRequests(const std::wstring& tag) {
    return ServerGet(L"/_requests?tag=" + tag);
}

inline int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
        ++count;
    return count;
}

}  // namespace feedtest
