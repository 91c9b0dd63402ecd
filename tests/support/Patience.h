#pragma once
#include <windows.h>

// How long a test waits for what it checks (a window, a message, a file, a
// reply) before it takes the program for stuck. Only a hang uses it up,
// however busy the machine is; a verdict never rests on how much of it went.
constexpr DWORD kPatienceMs = 30000;
