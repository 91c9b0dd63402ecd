#include "testengine/RequestLog.h"

#include <cstdio>

RequestLog::RequestLog() {
    char path[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA("FEED_ENGINE_LOG", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) path_ = path;
}

void RequestLog::Message(UINT message, WPARAM wParam, LPARAM lParam) const {
    char line[96];
    std::snprintf(line, sizeof line, "%u %llu %lld\r\n", message,
                  static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
    Append(line);
}

void RequestLog::CopyData(WPARAM wParam, const COPYDATASTRUCT& data) const {
    char head[96];
    std::snprintf(head, sizeof head, "%u %llu %llu %lu ", WM_COPYDATA,
                  static_cast<unsigned long long>(wParam),
                  static_cast<unsigned long long>(data.dwData), data.cbData);
    std::string line = head;
    const BYTE* bytes = static_cast<const BYTE*>(data.lpData);
    for (DWORD i = 0; bytes && i < data.cbData; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        line += hex;
    }
    Append(line + "\r\n");
}

// Opened per line so that a test can read the file at any moment.
void RequestLog::Append(const std::string& line) const {
    if (path_.empty()) return;
    HANDLE file = CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}
