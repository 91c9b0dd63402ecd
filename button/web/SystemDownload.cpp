#include "web/SystemDownload.h"

#include <urlmon.h>

#include "web/DownloadCallback.h"

namespace {
ULONGLONG FileSize(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
}  // namespace

bool SystemDownload(const wchar_t* address, const wchar_t* file, const DownloadGuard& guard) {
    DownloadCallback callback(guard);
    HRESULT initialized = CoInitialize(nullptr);
    HRESULT result = URLDownloadToFileW(nullptr, address, file, 0, &callback);
    if (SUCCEEDED(initialized)) CoUninitialize();
    // The size is checked again because not every moniker honours the abort.
    bool stopped = callback.Aborted() || guard.Cancelled() || FileSize(file) > guard.maxBytes;
    bool errorPage = callback.ResponseCode() >= 400;
    if (stopped || errorPage) DeleteFileW(file);
    return SUCCEEDED(result) && !stopped && !errorPage;
}
