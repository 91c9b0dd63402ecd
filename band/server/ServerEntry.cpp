// The exports of rssband.dll: module entry and the four COM server functions.
#include <windows.h>
#include <objbase.h>

#include "server/ClassFactory.h"
#include "server/Module.h"
#include "server/ServerRegistration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        Module::SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    try {
        return GetRssBandClassObject(clsid, riid, out);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return Module::LockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    try {
        return ServerRegistration::Register();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    try {
        return ServerRegistration::Unregister();
    } catch (...) {
        return E_UNEXPECTED;
    }
}
