#pragma once
// The module that holds the band: its instance handle and the lock count that
// decides whether the server may be unloaded.
#include <windows.h>
#include <string>

namespace Module {

// The module containing this code (the DLL, or a test program linking it).
HINSTANCE Instance();
void SetInstance(HINSTANCE instance);

// Live objects and class-factory locks.
void Lock();
void Unlock();
LONG LockCount();

// Full path of the module file, as the system reports it (ANSI).
std::string FileName();

}  // namespace Module
