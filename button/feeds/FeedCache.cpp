#include "feeds/FeedCache.h"

#include <windows.h>

#include <cwchar>

#include "core/ToolbarEnvironment.h"

namespace {
std::wstring DataFile(const wchar_t* format, int number) {
    wchar_t name[32];
    swprintf(name, 32, format, number);
    wchar_t path[MAX_PATH] = L"";
    RssDataPath(path, name);
    return path;
}
}  // namespace

std::wstring FeedCachePath(int number) {
    return DataFile(L"%d.txt", number);
}

std::wstring FeedCachePathIn(const std::wstring& dataFolder, int number) {
    if (dataFolder.empty()) return L"";
    std::wstring path = dataFolder;
    if (path.back() != L'\\') path += L'\\';
    return path + std::to_wstring(number) + L".txt";
}

std::wstring FeedCacheTempPath(int number) {
    return DataFile(L"%d_temp.txt", number);
}
