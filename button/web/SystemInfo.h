#pragma once

// The installed browser's major version from the registry, read once per
// process; 0 when unknown.
int BrowserMajorVersion();

// The major version in a dotted version text: the number before the first
// ".", 0 when there is no ".".
int MajorVersionOf(const wchar_t* version);

// True on Windows 2000 (NT 5.0), whose list views draw differently.
bool IsWindows2000();
