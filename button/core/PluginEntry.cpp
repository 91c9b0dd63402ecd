#include <windows.h>

#include "core/Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" LONG WINAPI OnButtonMessage(void* record, void* host, LONG code, LONG c, LONG d) {
    (void)record, (void)host, (void)code, (void)c, (void)d;
    return 0;
}
