#pragma once
// Owner of one image list (ImageList_Destroy).
#include <windows.h>
#include <commctrl.h>

#include "common/ScopedHandle.h"

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static void Close(HIMAGELIST images) { ImageList_Destroy(images); }
};
using ImageListHandle = ScopedHandle<ImageListTraits>;
