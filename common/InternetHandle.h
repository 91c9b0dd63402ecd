#pragma once
// Owner of one WinINet session, connection or request (InternetCloseHandle).
#include <windows.h>
#include <wininet.h>

#include "common/ScopedHandle.h"

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static void Close(HINTERNET handle) { InternetCloseHandle(handle); }
};
using InternetHandle = ScopedHandle<InternetHandleTraits>;
