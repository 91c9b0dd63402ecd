#pragma once
#include <string>
#include <vector>

// Output helpers of rsstool: standard output carries UTF-8 bytes as they are.
void WriteUtf8(const std::wstring& text);
void WriteError(const char* format, ...);
// A file's text: UTF-16LE with BOM, UTF-8 with or without BOM, or the ANSI
// code page, as the profile functions accept it.
bool ReadTextFile(const std::wstring& path, std::wstring& text);
// A number argument, or fallback when absent; false when not a number.
bool NumberArgument(const std::vector<std::wstring>& args, size_t index, int fallback, int* value);
