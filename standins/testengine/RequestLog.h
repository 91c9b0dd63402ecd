#pragma once
// Every request the engine receives, one line each, appended to the file
// named by the environment variable FEED_ENGINE_LOG (nothing when unset):
//   <message> <wParam> <lParam>
//   74 <wParam> <dwData> <cbData> <bytes in hex>      (WM_COPYDATA)
#include <windows.h>
#include <string>

class RequestLog {
public:
    RequestLog();
    void Message(UINT message, WPARAM wParam, LPARAM lParam) const;
    void CopyData(WPARAM wParam, const COPYDATASTRUCT& data) const;

private:
    void Append(const std::string& line) const;

    std::string path_;
};
