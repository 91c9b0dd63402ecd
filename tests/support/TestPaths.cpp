#include "support/TestPaths.h"

#include <windows.h>

std::wstring WindowsPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char ch : unixPath) path += ch == '/' ? L'\\' : static_cast<wchar_t>(ch);
    return path;
}

std::wstring SourcePath(const std::string& relative) {
    return WindowsPath(std::string(FEED_SOURCE_DIR) + "/" + relative);
}

std::wstring BuildPath(const std::string& relative) {
    return WindowsPath(std::string(FEED_BINARY_DIR) + "/" + relative);
}
