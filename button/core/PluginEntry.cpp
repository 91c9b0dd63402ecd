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

void DeleteButton(RssButton* button) {
    delete button;
}

// Counts one host call into the button; the last call to leave deletes a
// button that was unloaded while the calls ran.
class ButtonCall {
public:
    explicit ButtonCall(RssButton* button) : button_(button) { button_->EnterCall(); }
    ~ButtonCall() {
        if (button_->LeaveCall()) DeleteButton(button_);
    }
    ButtonCall(const ButtonCall&) = delete;
    ButtonCall& operator=(const ButtonCall&) = delete;

private:
    RssButton* button_;
};

LONG DispatchButtonMessage(HostRecord* record, ToolbarHost* host, LONG code, LONG_PTR c,
                           LONG_PTR d) {
    if (!IsUsableHost(host) || !IsReadableMemory(record, kHostRecordSize)) return 0;
    RssButton* button = g_buttons.Find(host);
    if (code == kCodeUnload) {
        if (button) {
            button->OnMessage(record, host, code, c, d);
            g_buttons.Remove(host);
            if (!button->InCall()) DeleteButton(button);
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
    ButtonCall call(button);
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
