#pragma once
// Owner of one open registry key (RegCloseKey).
#include <windows.h>

#include "common/ScopedHandle.h"

struct RegKeyTraits {
    using Handle = HKEY;
    static void Close(HKEY key) { RegCloseKey(key); }
};
using RegKeyHandle = ScopedHandle<RegKeyTraits>;
