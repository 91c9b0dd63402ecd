#pragma once
// Owner of one open file (CloseHandle). CreateFile reports failure as
// INVALID_HANDLE_VALUE, which the owner holds as none.
#include <windows.h>

#include "common/KernelHandle.h"

using FileHandle = KernelHandle;

inline FileHandle OwnFile(HANDLE created) {
    return FileHandle(created == INVALID_HANDLE_VALUE ? nullptr : created);
}
