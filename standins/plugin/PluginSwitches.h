#pragma once
// The plug-in's switches for the tests and the demo. Their build links the
// files of this folder, which define the same functions as the shipped
// web/ReaderService.cpp and feeds/StoreLockEnabled.cpp and so take their
// place; the shipped rssbutton.dll has none of these switches.
#include <windows.h>

// Names a loopback stand-in of the reader service ("http://127.0.0.19"). Any
// other value is ignored, so that even the tests' build never sends a login
// key to an outside host.
inline constexpr wchar_t kReaderServiceTestVariable[] = L"RSSBUTTON_TEST_READER_SERVICE";

// With false, the store's operations take no lock (to measure what the lock
// prevents). Process-wide; true at start.
void SetStoreLockEnabled(bool enabled);
