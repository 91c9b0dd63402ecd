#include "feeds/FeedAddress.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwctype>

#include "feeds/StoreFile.h"

namespace {
const wchar_t kHttp[] = L"http://";
const wchar_t kHttps[] = L"https://";

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    return StrCmpNIW(text.c_str(), prefix, lstrlenW(prefix)) == 0;
}

// Where the host ends: the path, query or fragment that follows it.
size_t HostEnd(const std::wstring& address, size_t hostStart) {
    size_t end = address.find_first_of(L"/?#", hostStart);
    return end == std::wstring::npos ? address.size() : end;
}
}  // namespace

std::wstring CompleteFeedAddress(const std::wstring& typed) {
    const wchar_t* blanks = L" \t\r\n";
    size_t first = typed.find_first_not_of(blanks);
    if (first == std::wstring::npos) return L"";
    std::wstring address = typed.substr(first, typed.find_last_not_of(blanks) - first + 1);
    if (StrStrIW(address.c_str(), kHttp) || StartsWithNoCase(address, kHttps)) return address;
    return (kHttp + address).substr(0, MAX_PATH - 1);
}

bool IsUsableFeedAddress(const std::wstring& address) {
    if (address.size() > kMaxValueLength) return false;
    size_t hostStart = StartsWithNoCase(address, kHttp)    ? lstrlenW(kHttp)
                       : StartsWithNoCase(address, kHttps) ? lstrlenW(kHttps)
                                                           : 0;
    size_t hostEnd = HostEnd(address, hostStart);
    if (!hostStart || hostEnd == hostStart) return false;
    // A port, when named, is a number: "http://feed://..." or
    // "http://javascript:..." name no server.
    std::wstring host = address.substr(hostStart, hostEnd - hostStart);
    size_t at = host.rfind(L'@');  // after a user name and password
    if (at != std::wstring::npos) host.erase(0, at + 1);
    if (host.empty()) return false;
    size_t colon = host.rfind(L':');
    if (colon != std::wstring::npos && host.back() != L']') {
        if (colon + 1 == host.size()) return false;
        for (size_t i = colon + 1; i < host.size(); ++i) {
            if (!iswdigit(host[i])) return false;
        }
    }
    for (wchar_t ch : address) {
        if (ch <= L' ' || ch == 0x7F) return false;
    }
    return true;
}

std::wstring FeedAddressKey(const std::wstring& address) {
    std::wstring key = CompleteFeedAddress(address);
    size_t scheme = key.find(L"://");
    size_t end = scheme == std::wstring::npos ? key.size() : HostEnd(key, scheme + 3);
    if (end) CharLowerBuffW(&key[0], static_cast<DWORD>(end));
    return key;
}
