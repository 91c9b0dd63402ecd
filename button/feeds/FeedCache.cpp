#include "feeds/FeedCache.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

#include "core/ToolbarEnvironment.h"

namespace {
// The numbered file in folder; empty when there is no folder or the path
// would not fit, so that file operations on it fail.
std::wstring FileIn(const wchar_t* folder, const wchar_t* format, int number) {
    wchar_t name[32];
    swprintf(name, 32, format, number);
    wchar_t path[MAX_PATH] = L"";
    if (!*folder || wcslen(folder) >= MAX_PATH) return L"";
    wcscpy(path, folder);
    return PathAppendW(path, name) ? path : L"";
}

std::wstring DataFile(const wchar_t* format, int number) {
    wchar_t folder[MAX_PATH] = L"";
    RssDataPath(folder, nullptr);
    return FileIn(folder, format, number);
}
}  // namespace

std::wstring FeedCachePath(int number) {
    return DataFile(L"%d.txt", number);
}

std::wstring FeedCachePathIn(const std::wstring& dataFolder, int number) {
    return FileIn(dataFolder.c_str(), L"%d.txt", number);
}

std::wstring FeedCacheTempPath(int number) {
    return DataFile(L"%d_temp.txt", number);
}
