#pragma once
// The band's automatic update interval, which the band stores and the engine
// reads: "UpdateInterval" (REG_DWORD, minutes) under HKCU "Software\Varnel
// R&D\RSS". A missing or unreadable value means 30; 0 means no automatic
// update.
#include <windows.h>

DWORD UpdateIntervalMinutes();
