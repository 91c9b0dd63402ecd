#include "server/PageName.h"

#include <windows.h>

#include "server/ThreadCodePage.h"

namespace {

const wchar_t* const kDevices[] = {L"CON",  L"PRN",  L"AUX",  L"NUL",  L"CLOCK$", L"COM1",
                                   L"COM2", L"COM3", L"COM4", L"COM5", L"COM6",   L"COM7",
                                   L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3",   L"LPT4",
                                   L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};

// "con.txt" opens the console as well as "con" does.
bool NamesDevice(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (const wchar_t* device : kDevices) {
        if (lstrcmpiW(base.c_str(), device) == 0) return true;
    }
    return false;
}

bool IsPlainName(const std::wstring& name) {
    if (name.find_first_not_of(L". ") == std::wstring::npos) return false;
    for (wchar_t ch : name) {
        if (ch < L' ' || ch == L'\\' || ch == L'/' || ch == L':') return false;
    }
    return !NamesDevice(name);
}

}  // namespace

bool IsPlainPageName(const wchar_t* page) {
    if (!page || !IsPlainName(page)) return false;
    // A character the code page lacks may be spelt as a separator there.
    return IsPlainName(FromThreadAnsi(ToThreadAnsi(page)));
}

std::string PageFilePath(const wchar_t* page) {
    if (!IsPlainPageName(page)) return std::string();
    char folder[MAX_PATH] = "";
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::string path = std::string(folder, length) + ToThreadAnsi(page) + ".html";
    return path.size() < MAX_PATH ? path : std::string();
}
