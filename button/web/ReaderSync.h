#pragma once
#include <windows.h>

#include <string>

#include "core/ToolbarHost.h"

// The requests of the web-mail service's feed reader. The host gives the
// login (user number and key) each time one is needed; nothing is kept.

// Subscribes feedAddress in the reader of userNumber (the button's login
// state), sending the host's login as cookies. Blocks until the service
// answers or WinINet gives up. True when the reply reports the subscription;
// false as well when the address would not fit a request whole.
bool ReaderSubscribe(ToolbarHost* host, DWORD userNumber, const wchar_t* feedAddress);

// Puts the host's login into the system's cookie store for address, so that
// the browser arrives logged in. Sets nothing when the host has no login.
bool SetReaderCookies(ToolbarHost* host, const wchar_t* address);

// The reader's login address: with a user number it names that user, with 0
// the service asks who is logging in. Empty when it cannot be made.
std::wstring ReaderLoginAddress(DWORD userNumber);

// Menu command "进入Pemba邮箱阅读空间": login cookies for the service's home
// address, then the login address opened by the host.
bool EnterWebReader(ToolbarHost* host, DWORD userNumber);
