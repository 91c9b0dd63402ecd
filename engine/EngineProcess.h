#pragma once
// The engine process behind "RUNDLL32 Feed.dll,EntryPoint [address]": runs
// the engine until its window is closed. One engine serves the desktop: a
// later start hands its address to the running engine, which asks the user
// to subscribe it, and exits.
#include <windows.h>
#include <string>

class EngineExtension;

// A second start hands its address over as a WM_COPYDATA whose dwData is
// this tag and whose data is the UTF-16 address.
const ULONG_PTR kEngineAddressTag = 0x44415346;

// commandLine is what RUNDLL32 passes after the entry point's name; the
// subscriptions live in dataFolder. extension may be null.
void RunEngineProcess(HINSTANCE instance, const char* commandLine, const std::wstring& dataFolder,
                      EngineExtension* extension);
