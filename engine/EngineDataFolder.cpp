#include "engine/EngineDataFolder.h"

#include <windows.h>
#include <shlobj.h>

namespace {
const wchar_t kSubFolder[] = L"RssFeed";
}

std::wstring EngineDataFolder() {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetEnvironmentVariableW(L"FEED_ENGINE_DATA", path, MAX_PATH);
    std::wstring folder;
    if (length > 0 && length < MAX_PATH) {
        folder = path;
    } else if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0,
                                          path))) {
        folder = std::wstring(path) + L"\\" + kSubFolder;
    } else {
        return std::wstring();
    }
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    CreateDirectoryW(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::wstring();
    }
    return folder;
}
