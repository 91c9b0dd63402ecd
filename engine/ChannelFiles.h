#pragma once
// Files of the channel pages and the channel state.
#include <windows.h>
#include <string>

// The temporary folder with its trailing backslash, or "" when it does not
// fit MAX_PATH.
std::wstring TempFolder();

// Writes a sibling file, flushes it and moves it over path, so that a reader
// or a crash finds the old content or the new one, never a part.
bool WriteFileReplacing(const std::wstring& path, const std::string& bytes);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const char* text);
