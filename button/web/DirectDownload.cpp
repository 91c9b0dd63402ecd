#include "web/DirectDownload.h"

#include "web/HttpClient.h"

bool DirectDownload(const wchar_t* host, const wchar_t* path, const wchar_t* file,
                    const DownloadGuard& guard) {
    HttpClient client(guard);
    if (client.Open(nullptr, 0) || client.Connect(host, INTERNET_DEFAULT_HTTP_PORT, 0) ||
        client.OpenRequest(L"GET", path, nullptr, 0, true) || client.Send(nullptr, 0))
        return false;
    DWORD status = client.StatusCode();
    if (status < 200 || status > 299) return false;
    return client.ReadToFile(file) == 0;
}

bool SplitDownloadAddress(const wchar_t* address, wchar_t (&host)[64], wchar_t (&path)[128]) {
    host[0] = path[0] = L'\0';
    if (!address || !*address) return false;
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 64;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 128;
    return InternetCrackUrlW(address, 0, ICU_DECODE, &parts) != FALSE;
}
