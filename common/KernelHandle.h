#pragma once
// Owner of one kernel object handle that is null when missing: a process,
// thread, event, mutex or mapping (CloseHandle). Files, whose failure value
// is INVALID_HANDLE_VALUE, come through OwnFile (FileHandle.h).
#include <windows.h>

#include "common/ScopedHandle.h"

struct KernelHandleTraits {
    using Handle = HANDLE;
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
using KernelHandle = ScopedHandle<KernelHandleTraits>;
