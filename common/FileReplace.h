#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Writes bytes as the new content of path. The old file is replaced only
// once the new content is complete on disk, beside it in the same folder, so
// a failure at any point leaves the old file as it was. A reader that holds
// the old file open without sharing its deletion is waited for a little.
// check, when given, reads the new file first: false keeps the old one.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes,
                         const std::function<bool(const wchar_t* fresh)>& check = nullptr);
