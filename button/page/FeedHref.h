#pragma once
#include <windows.h>

#include <string>

// The absolute address of a link element's href on the page at pageAddress,
// by the standard URL-combining rules: relative paths resolve against the
// page's own scheme, host, port and folder, absolute hrefs stay as they are.
// An empty href gives an empty address; an href the rules cannot combine is
// kept as written. The result is cut to 259 characters.
std::wstring ResolveFeedHref(const wchar_t* href, const wchar_t* pageAddress);
