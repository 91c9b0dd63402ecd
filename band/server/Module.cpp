#include "server/Module.h"

namespace {
HINSTANCE g_instance = nullptr;
volatile LONG g_locks = 0;
}  // namespace

namespace Module {

HINSTANCE Instance() {
    if (!g_instance) {
        // Linked into a program rather than the DLL: find our own image.
        HMODULE self = nullptr;
        GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&g_instance), &self);
        g_instance = self;
    }
    return g_instance;
}

void SetInstance(HINSTANCE instance) {
    g_instance = instance;
}

void Lock() {
    InterlockedIncrement(&g_locks);
}
void Unlock() {
    InterlockedDecrement(&g_locks);
}
LONG LockCount() {
    return g_locks;
}

std::string FileName() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(Instance(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(path, length);
}

}  // namespace Module
