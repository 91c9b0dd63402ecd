#include "core/ToolbarEnvironment.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <string>

namespace {

// -1 until the first data path is formed, then 0 or 1. Every thread computes
// the same answer, so a racing first use only repeats the query.
volatile LONG g_nt6 = -1;

bool IsNt6OrLater() {
    LONG known = g_nt6;
    if (known < 0) {
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof(version);
        known = GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                version.dwMajorVersion > 5;
        InterlockedExchange(&g_nt6, known);
    }
    return known != 0;
}

bool IsFolder(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

const wchar_t* UserIniName(int kind) {
    switch (kind) {
        case 0:
        case 3:
            return L"tb.ini";
        case 1:
            return L"inc.ini";
        case 2:
            return L"up.ini";
        default:
            return nullptr;
    }
}

constexpr UINT kToolbarUserQuery = WM_USER + 200;
constexpr WPARAM kIsCurrentUser = 0x00B20000;

}  // namespace

int ToolbarPath(int kind, wchar_t* path, int capacity) {
    if (kind != kToolbarDataRoot || !path || capacity <= 0) return 0;
    wchar_t root[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, root, CSIDL_APPDATA, TRUE)) return 0;
    // Protected-mode browsers on NT 6 may only write below LocalLow, the
    // sibling of the roaming application-data folder.
    if (IsNt6OrLater() && (!PathRemoveFileSpecW(root) || !PathAppendW(root, L"LocalLow"))) {
        return 0;
    }
    if (!PathAppendW(root, L"OMBERLY\\PembaToolbar")) return 0;
    size_t length = wcslen(root);
    if (length >= static_cast<size_t>(capacity)) return 0;
    wmemcpy(path, root, length + 1);
    return 1;
}

void RssDataPath(wchar_t* path, const wchar_t* fileName) {
    if (!path) return;
    // Without a root the path stays empty, so that file operations on it fail
    // instead of landing in the current directory.
    if (!ToolbarPath(kToolbarDataRoot, path, MAX_PATH) || !PathAppendW(path, L"RSS")) {
        path[0] = L'\0';
        return;
    }
    if (!IsFolder(path)) CreateDirectoryTree(path);
    if (fileName && *fileName && !PathAppendW(path, fileName)) path[0] = L'\0';
}

int CreateDirectoryTree(const wchar_t* path) {
    if (!path || !*path) return 0;
    if (IsFolder(path)) return 1;
    std::wstring parent(path);
    if (parent.back() == L'\\') parent.pop_back();
    size_t slash = parent.find_last_of(L'\\');
    if (slash == std::wstring::npos) return 0;
    parent.resize(slash);
    if (parent.empty()) parent = L"\\";
    // The parent is strictly shorter, so the recursion ends.
    if (parent.size() >= wcslen(path) || !CreateDirectoryTree(parent.c_str())) return 0;
    CreateDirectoryW(path, nullptr);
    // Another thread may have created it in the meantime: what counts is
    // that the folder is there.
    return IsFolder(path) ? 1 : 0;
}

int UserIniPath(int kind, DWORD user, wchar_t* out, int capacity, HWND toolbar, BOOL create) {
    if (!out || capacity <= 0) return 0;
    const wchar_t* fileName = UserIniName(kind);
    if (!fileName) return 0;
    if (kind != 3 && toolbar && !SendMessageW(toolbar, kToolbarUserQuery, kIsCurrentUser, user)) {
        user = 0;
    }
    wchar_t path[MAX_PATH] = {};
    if (!ToolbarPath(kToolbarDataRoot, path, MAX_PATH)) return 0;
    wchar_t number[16];
    swprintf(number, 16, L"%lu", static_cast<unsigned long>(user));
    if (!PathAppendW(path, L"users") || !PathAppendW(path, number)) return 0;
    if (create && !IsFolder(path)) CreateDirectoryTree(path);
    if (!PathAppendW(path, fileName)) return 0;
    size_t length = wcslen(path);
    if (length >= static_cast<size_t>(capacity)) length = capacity - 1;
    wmemcpy(out, path, length);
    out[length] = L'\0';
    return 1;
}
