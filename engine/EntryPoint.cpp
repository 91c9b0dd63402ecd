// RUNDLL32 Feed.dll,EntryPoint [address]: the engine as it is shipped,
// keeping the subscriptions in the user's application data.
#include <windows.h>

#include "engine/EngineDataFolder.h"
#include "engine/EngineProcess.h"

namespace {
HINSTANCE g_instance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
    return TRUE;
}

extern "C" void CALLBACK EntryPoint(HWND, HINSTANCE, LPSTR commandLine, int) {
    try {
        RunEngineProcess(g_instance, commandLine, EngineDataFolder(), nullptr);
    } catch (...) {
    }
}
