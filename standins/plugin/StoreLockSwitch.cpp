// StoreLockEnabled as the tests build it: a switch the store soak turns off
// to show what the lock prevents.
#include "feeds/StoreLock.h"
#include "plugin/PluginSwitches.h"

namespace {
volatile LONG gLockEnabled = 1;
}  // namespace

bool StoreLockEnabled() {
    return InterlockedCompareExchange(&gLockEnabled, 0, 0) != 0;
}

void SetStoreLockEnabled(bool enabled) {
    InterlockedExchange(&gLockEnabled, enabled ? 1 : 0);
}
