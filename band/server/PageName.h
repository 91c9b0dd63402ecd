#pragma once
// The engine's name for a channel's page, and the files it names in the
// user's temporary folder: the page "<name>.html" the browser shows, and the
// item list "<name>" the harvest reads. The engine may be anyone's Feed.dll:
// a name is used only when it is a plain file name in that folder.
#include <string>

// True for a name without folder part, drive or stream (no "\", "/" or ":"),
// that is not only dots and blanks and names no device (CON, NUL, COM1...),
// also as the thread's code page spells it.
bool IsPlainPageName(const wchar_t* page);

// "<temporary folder><page name>.html"; empty when the name is not plain or
// the path does not fit MAX_PATH.
std::string PageFilePath(const wchar_t* page);
