#include "engine/EngineDataFolder.h"

#include <windows.h>
#include <shlobj.h>

namespace {
const wchar_t kSubFolder[] = L"RssFeed";
}

std::wstring EngineDataFolder() {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path))) {
        return std::wstring();
    }
    return PreparedFolder(std::wstring(path) + L"\\" + kSubFolder);
}

std::wstring PreparedFolder(std::wstring folder) {
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    if (folder.empty()) return folder;
    CreateDirectoryW(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::wstring();
    }
    return folder;
}
