#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// Whether size bytes at address are committed and readable (or writable) now.
// Used on pointers the host hands in, so that a bad one is refused instead of
// faulting inside the plug-in.
bool IsReadableMemory(const void* address, size_t size);
bool IsWritableMemory(void* address, size_t size);

// Copies a NUL-terminated string from host memory, at most maxLength
// characters, stopping at the first unreadable page.
std::wstring CopyHostString(const wchar_t* text, size_t maxLength);
