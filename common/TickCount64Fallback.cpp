// The static winpthread that libstdc++ pulls into our i686 DLLs imports
// GetTickCount64, which Windows XP lacks: a DLL importing it would not load
// there. Defining the import slot ourselves keeps the loader from binding it
// and falls back to GetTickCount where the system has no 64-bit counter.
#include <windows.h>

namespace {

using TickCount64 = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI TickCount64OrFallback() {
    static TickCount64 system = reinterpret_cast<TickCount64>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64"));
    return system ? system() : GetTickCount();
}

}  // namespace

extern "C" TickCount64 tickCount64Slot __asm__("__imp__GetTickCount64@0");
TickCount64 tickCount64Slot = TickCount64OrFallback;
