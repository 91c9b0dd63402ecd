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

// Puts the file source in place of target, or moves it there when there is
// no target. Readers that hold target open sharing its deletion keep what
// they read and do not stop it, where a plain move refuses any target still
// open. False, with both files as they were, when another program holds
// target without that sharing.
bool ReplaceWithFile(const wchar_t* target, const wchar_t* source);
