#include "dialogs/DialogWorker.h"

#include <objbase.h>

DialogWorker::DialogWorker(std::function<int(const DownloadGuard&)> body)
    : body_(std::move(body)) {}

DialogWorker::~DialogWorker() {
    End();
}

bool DialogWorker::Begin() {
    if (IsRunning()) return false;
    // An ended thread still held is released before the next one starts.
    Stop(0);
    cancel_.Reset();
    return Start() != 0;
}

void DialogWorker::End() {
    Stop(kStopWait);
}

int DialogWorker::Run() {
    // The system download runs on URL monikers.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DownloadGuard guard;
    guard.cancel = &cancel_;
    int result = body_ ? body_(guard) : 0;
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
