#pragma once
#include <windows.h>

// Percent-encoding of the web reader's query values in a code page (0 means
// the system ANSI code page). Both refuse a missing text or output and a
// capacity below 2, and return true only when the whole result fits.

// Letters, digits, "-" and "_" stay; every other byte becomes "%xx" in lower
// case. On overflow the output holds what fit and the result is false.
bool UrlEncode(const wchar_t* text, wchar_t* out, int capacity, UINT codePage);

// "%xx" becomes its byte, "+" a space. On failure the output is untouched.
bool UrlDecode(const wchar_t* text, wchar_t* out, int capacity, UINT codePage);
