#pragma once
// QueryInterface from a table of (IID, offset of the interface part inside
// the object). The first entry also serves as the object's IUnknown.
#include <windows.h>
#include <objbase.h>
#include <cstddef>

struct InterfaceEntry {
    const IID* iid;
    std::ptrdiff_t offset;
};

// Offset of the Interface part inside a Class object.
template <class Class, class Interface>
std::ptrdiff_t InterfaceOffset() {
    // Any aligned non-null address works: only the difference matters.
    Class* object = reinterpret_cast<Class*>(0x1000);
    return reinterpret_cast<char*>(static_cast<Interface*>(object)) -
           reinterpret_cast<char*>(object);
}

// Finds riid in the table (ended by a null iid) and returns the part with a
// reference added through it; IUnknown gives the first entry's part.
HRESULT QueryInterfaceFromTable(void* object, const InterfaceEntry* table, REFIID riid, void** out);
