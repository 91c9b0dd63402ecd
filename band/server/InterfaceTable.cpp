#include "server/InterfaceTable.h"

HRESULT QueryInterfaceFromTable(void* object, const InterfaceEntry* table, REFIID riid,
                                void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!table || !table->iid) return E_NOINTERFACE;
    const InterfaceEntry* found = IsEqualIID(riid, IID_IUnknown) ? table : nullptr;
    for (const InterfaceEntry* entry = table; !found && entry->iid; ++entry) {
        if (IsEqualIID(riid, *entry->iid)) found = entry;
    }
    if (!found) return E_NOINTERFACE;
    IUnknown* part = reinterpret_cast<IUnknown*>(static_cast<char*>(object) + found->offset);
    part->AddRef();
    *out = part;
    return S_OK;
}
