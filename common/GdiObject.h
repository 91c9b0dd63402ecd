#pragma once
// Owner of one GDI bitmap, brush, pen or region (DeleteObject); fonts have
// FontHandle. Deleted only while selected into no device context.
#include <windows.h>

#include "common/ScopedHandle.h"

template <class T>
struct GdiObjectTraits {
    using Handle = T;
    static void Close(T object) { DeleteObject(object); }
};
template <class T>
using GdiObject = ScopedHandle<GdiObjectTraits<T>>;
