#include "web/SystemDownload.h"

#include <urlmon.h>

#include <string>

#include "web/DownloadCallback.h"

namespace {

ULONGLONG FileSize(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The moniker reports no progress while a server stalls or drips, so it
// cannot be stopped from its callback in time: it runs on a thread of its
// own, and a caller whose time is up leaves it behind. The job is shared by
// the two threads and freed by the last one; the thread keeps the module
// loaded until it ends and deletes its file when nobody claims it.
struct DownloadJob {
    volatile LONG references = 2;
    volatile LONG handedOver = 0;  // set by whichever of the two is done first
    std::wstring address;
    std::wstring file;  // the thread's own file beside the caller's
    DownloadGuard guard;
    DownloadCancel abandon;
    HANDLE done = nullptr;
    bool ok = false;

    void Release() {
        if (InterlockedDecrement(&references) == 0) {
            CloseHandle(done);
            delete this;
        }
    }
};

void RunDownload(DownloadJob* job) {
    DownloadCallback callback(job->guard);
    HRESULT initialized = CoInitialize(nullptr);
    HRESULT result =
        URLDownloadToFileW(nullptr, job->address.c_str(), job->file.c_str(), 0, &callback);
    if (SUCCEEDED(initialized)) CoUninitialize();
    // The size is checked again because not every moniker honours the abort.
    bool stopped = callback.Aborted() || FileSize(job->file.c_str()) > job->guard.maxBytes;
    bool errorPage = callback.ResponseCode() >= 400;
    job->ok = SUCCEEDED(result) && !stopped && !errorPage;
}

DWORD WINAPI DownloadThread(void* parameter) {
    auto* job = static_cast<DownloadJob*>(parameter);
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&DownloadThread), &self);
    try {
        RunDownload(job);
    } catch (...) {
        job->ok = false;
    }
    // A caller that left first claims nothing: the file is this thread's to delete.
    if (!job->ok || InterlockedExchange(&job->handedOver, 1)) DeleteFileW(job->file.c_str());
    SetEvent(job->done);
    job->Release();
    if (self) FreeLibraryAndExitThread(self, 0);
    return 0;
}

std::wstring SiblingTempFile(const wchar_t* file) {
    std::wstring folder = file;
    size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash + 1);
    wchar_t name[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"_d", 0, name)) return std::wstring();
    return name;
}

}  // namespace

bool SystemDownload(const wchar_t* address, const wchar_t* file, const DownloadGuard& guard) {
    if (!address || !file) return false;
    auto* job = new DownloadJob;
    job->address = address;
    job->file = SiblingTempFile(file);
    job->guard = guard;
    job->guard.cancel = &job->abandon;
    job->guard.timeLimitMs = INFINITE;  // the caller keeps the time
    job->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = job->file.empty() || !job->done
                        ? nullptr
                        : CreateThread(nullptr, 0, DownloadThread, job, 0, nullptr);
    if (!thread) {
        if (!job->file.empty()) DeleteFileW(job->file.c_str());
        if (job->done) CloseHandle(job->done);
        delete job;
        return false;
    }
    CloseHandle(thread);

    bool finished = false;
    while (!(finished = WaitForSingleObject(job->done, 100) == WAIT_OBJECT_0)) {
        if (guard.Cancelled() || guard.Expired()) break;
    }
    bool ok = false;
    if (finished) {
        ok = job->ok && MoveFileExW(job->file.c_str(), file, MOVEFILE_REPLACE_EXISTING);
        if (!ok) DeleteFileW(job->file.c_str());
    } else {
        // The thread stops at the moniker's next progress and deletes its
        // file, unless it already finished and left it here.
        job->abandon.Cancel();
        if (InterlockedExchange(&job->handedOver, 1)) DeleteFileW(job->file.c_str());
    }
    if (!ok) DeleteFileW(file);
    job->Release();
    return ok;
}
