#pragma once
#include <windows.h>

#include <cstddef>

// The mapped address of a named section of a loaded module, or null.
void* FindModuleSection(HMODULE module, const char* name, size_t* size = nullptr);
