#include "core/RefreshFlag.h"

// Must stay initialised: an uninitialised variable would go to .bss and not
// into the shared section.
__attribute__((section(".toolbar"), shared)) volatile LONG g_refreshInProgress = 0;

bool RefreshInProgress() {
    return g_refreshInProgress != 0;
}

void SetRefreshInProgress(bool running) {
    g_refreshInProgress = running ? 1 : 0;
}
