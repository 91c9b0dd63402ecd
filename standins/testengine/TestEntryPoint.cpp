// RUNDLL32 Feed.dll,EntryPoint [address] of the test build: the shipped
// engine with the script channel, the request log and the data folder named
// by FEED_ENGINE_DATA.
#include <windows.h>

#include "engine/EngineDataFolder.h"
#include "engine/EngineProcess.h"
#include "testengine/ScriptedEngine.h"

namespace {

HINSTANCE g_instance = nullptr;

std::wstring DataFolder() {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetEnvironmentVariableW(L"FEED_ENGINE_DATA", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return PreparedFolder(path);
    return EngineDataFolder();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
    return TRUE;
}

extern "C" void CALLBACK EntryPoint(HWND, HINSTANCE, LPSTR commandLine, int) {
    try {
        ScriptedEngine scripted;
        RunEngineProcess(g_instance, commandLine, DataFolder(), &scripted);
    } catch (...) {
    }
}
