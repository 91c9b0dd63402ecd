#include "support/ModuleSection.h"

#include <cstring>

void* FindModuleSection(HMODULE module, const char* name, size_t* size) {
    if (!module) return nullptr;
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (strncmp(reinterpret_cast<const char*>(section->Name), name, IMAGE_SIZEOF_SHORT_NAME))
            continue;
        if (size) *size = section->Misc.VirtualSize;
        return base + section->VirtualAddress;
    }
    return nullptr;
}
