#include <windows.h>

#include <new>

#include "core/ButtonRegistry.h"
#include "core/HostProtocol.h"
#include "core/HostRecord.h"
#include "core/MemoryProbe.h"
#include "core/Module.h"
#include "core/RssButton.h"
#include "core/ToolbarHost.h"

namespace {

// Built when the library is loaded and destroyed when it is unloaded.
ButtonRegistry g_buttons;

// Positions 0-24 of the host's table are the ones the plug-in may call.
constexpr size_t kHostTableSize = 25 * sizeof(void*);

bool IsUsableHost(ToolbarHost* host) {
    if (!IsReadableMemory(host, sizeof(void*))) return false;
    return IsReadableMemory(*reinterpret_cast<void**>(host), kHostTableSize);
}

LONG DispatchButtonMessage(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                           LONG_PTR d) {
    if (!IsUsableHost(host) || !IsReadableMemory(record, kHostRecordSize)) return 0;
    RssButton* button = g_buttons.Find(host);
    if (code == kCodeUnload) {
        if (button) {
            button->OnMessage(record, host, code, c, d);
            g_buttons.Remove(host);
            // Through the worker base's virtual destructor.
            WorkerThread* worker = button;
            delete worker;
        }
        return 1;
    }
    if (!button) {
        button = new (std::nothrow) RssButton();
        if (!button) return 0;
        if (!g_buttons.Insert(host, button)) {
            delete button;
            return 0;
        }
    }
    return button->OnMessage(record, host, code, c, d);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" LONG WINAPI OnButtonMessage(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                                       LONG_PTR d) {
    // Nothing may unwind into the host.
    try {
        return DispatchButtonMessage(record, host, code, c, d);
    } catch (...) {
        return 0;
    }
}
