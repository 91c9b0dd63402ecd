#pragma once
#include <windows.h>

// Whether a refresh of the subscriptions is running in any process that has
// loaded the plug-in. The value lives in the module's shared ".toolbar"
// section; reads and writes are plain, a stale read only delays an icon or
// label change.
bool RefreshInProgress();
void SetRefreshInProgress(bool running);
