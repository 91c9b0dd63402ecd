#include "web/SystemInfo.h"

#include <windows.h>

#include <cwchar>

namespace {
bool g_versionRead = false;
int g_majorVersion = 0;

int ReadBrowserMajorVersion() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return 0;
    wchar_t version[260] = L"";
    DWORD size = sizeof version - sizeof(wchar_t);
    DWORD type = 0;
    LONG status =
        RegQueryValueExW(key, L"Version", nullptr, &type, reinterpret_cast<BYTE*>(version), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return 0;
    return MajorVersionOf(version);
}
}  // namespace

int MajorVersionOf(const wchar_t* version) {
    if (!version) return 0;
    const wchar_t* dot = wcschr(version, L'.');
    if (!dot) return 0;
    return static_cast<int>(wcstol(version, nullptr, 10));
}

int BrowserMajorVersion() {
    if (!g_versionRead) {
        g_majorVersion = ReadBrowserMajorVersion();
        g_versionRead = true;
    }
    return g_majorVersion;
}

bool IsWindows2000() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 5 &&
           info.dwMinorVersion == 0;
}
