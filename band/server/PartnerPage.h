#pragma once
// The page name the partner window hands the tree pane with
// WM_RSS_PARTNER_PAGE: 32 bytes of ANSI text, NUL-terminated only when shorter.
#include <string>

// Never reads beyond the 32 bytes; empty for a null pointer.
std::string CopyPartnerPageName(const char* page);
