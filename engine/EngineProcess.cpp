#include "engine/EngineProcess.h"

#include <ole2.h>

#include "common/KernelHandle.h"

#include "engine/EngineText.h"
#include "engine/FeedEngine.h"
#include "server/EngineProtocol.h"

namespace {

const wchar_t kInstanceMutex[] = L"RssFeedEngineInstance";
// An engine that is closing may hold the mutex for a moment longer.
const DWORD kInstanceWaitMs = 10000;
const UINT kHandOverTimeoutMs = 5000;

void HandOver(HWND engine, const std::wstring& address) {
    if (address.empty()) return;
    COPYDATASTRUCT data = {};
    data.dwData = kEngineAddressTag;
    data.cbData = static_cast<DWORD>((address.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(address.c_str());
    DWORD_PTR result = 0;
    SendMessageTimeoutW(engine, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                        kHandOverTimeoutMs, &result);
}

// True when this process is to be the engine (it then owns the mutex);
// false when another engine took the address or none could be waited for.
bool BecomeEngine(HANDLE mutex, const std::wstring& address) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kInstanceWaitMs;) {
        if (HWND running = FindWindowA(kEngineWindowClass, nullptr)) {
            HandOver(running, address);
            return false;
        }
        DWORD waited = WaitForSingleObject(mutex, 100);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            HWND running = FindWindowA(kEngineWindowClass, nullptr);
            if (!running) return true;
            ReleaseMutex(mutex);
            HandOver(running, address);
            return false;
        }
    }
    return false;
}

}  // namespace

void RunEngineProcess(HINSTANCE instance, const char* commandLine, const std::wstring& dataFolder,
                      EngineExtension* extension) {
    std::wstring address =
        TrimAddress(commandLine ? WideFromAnsi(commandLine, lstrlenA(commandLine)) : L"");
    KernelHandle mutex(CreateMutexW(nullptr, FALSE, kInstanceMutex));
    if (!mutex) return;
    if (BecomeEngine(mutex.Get(), address)) {
        FeedEngine engine(dataFolder, extension);
        if (engine.Start(instance)) {
            // The dialogs use COM; its start is slow
            // enough to come after the window the band looks for.
            HRESULT ole = OleInitialize(nullptr);
            if (!address.empty()) engine.AskForChannel(0, address);
            engine.Run();
            if (SUCCEEDED(ole)) OleUninitialize();
        }
        // A new engine may start while this one lets its workers go.
        ReleaseMutex(mutex.Get());
    }
}
