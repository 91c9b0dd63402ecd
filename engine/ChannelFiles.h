#pragma once
// Files of the channel pages and the channel state.
#include <windows.h>
#include <string>

#include "common/TextEncoding.h"

// The temporary folder with its trailing backslash, or "" when it does not
// fit MAX_PATH.
std::wstring TempFolder();

// Writes a sibling file, flushes it and moves it over path, so that a reader
// or a crash finds the old content or the new one, never a part.
bool WriteFileReplacing(const std::wstring& path, const std::string& bytes);
