#pragma once
#include <string>

// Paths of the repository and the build tree as Windows paths under Wine's
// Z: drive, which maps the Linux root.
std::wstring WindowsPath(const std::string& unixPath);
std::wstring SourcePath(const std::string& relative);
std::wstring BuildPath(const std::string& relative);
