// RUNDLL32 Feed.dll,EntryPoint: runs the stand-in engine until its window
// is closed.
#include <windows.h>

#include "engine/FeedEngine.h"

namespace {
HINSTANCE g_instance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
    return TRUE;
}

extern "C" void CALLBACK EntryPoint(HWND, HINSTANCE, LPSTR, int) {
    try {
        FeedEngine engine;
        if (engine.Start(g_instance)) engine.Run();
    } catch (...) {
    }
}
