#pragma once
// The page name the partner window hands the tree pane with
// WM_RSS_PARTNER_PAGE: 32 bytes of ANSI text, NUL-terminated only when shorter.
#include <windows.h>
#include <string>

// Never reads beyond the 32 bytes, nor memory this process cannot read: any
// thread may send the message, and another process a pointer of its own.
// Empty for a null pointer, or for a name that cannot be read whole.
std::string CopyPartnerPageName(const char* page);
