#include "ToolOutput.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "feeds/IniText.h"

void WriteUtf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string bytes(size, '\0');
    if (size)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                            nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

void WriteError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fflush(stderr);
}

bool ReadTextFile(const std::wstring& path, std::wstring& text) {
    IniText file;
    if (!file.Load(path) || !file.Existed()) return false;
    text = file.Text();
    return true;
}

bool NumberArgument(const std::vector<std::wstring>& args, size_t index, int fallback, int* value) {
    *value = fallback;
    if (args.size() <= index) return true;
    wchar_t* end = nullptr;
    long number = wcstol(args[index].c_str(), &end, 10);
    if (end == args[index].c_str() || *end) return false;
    *value = static_cast<int>(number);
    return true;
}
