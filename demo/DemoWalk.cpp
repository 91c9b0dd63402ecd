#include "DemoWalk.h"

#include <cstdio>

#include "Screenshot.h"

void PrintText(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    std::fputs(bytes.c_str(), stdout);
    std::fflush(stdout);
}

DemoWalk::DemoWalk(std::wstring pictureFolder, std::wstring camera)
    : folder_(std::move(pictureFolder)), camera_(std::move(camera)) {}

bool DemoWalk::Step(const std::wstring& what, bool ok, const std::wstring& result) {
    steps_.push_back({what, ok});
    PrintText(L"step " + std::to_wstring(steps_.size()) + L": " + what + L" \x2014 " + result +
              (ok ? L"\n" : L" [FAILED]\n"));
    return ok;
}

void DemoWalk::Note(const std::wstring& text) {
    PrintText(L"        " + text + L"\n");
}

void DemoWalk::Picture(const RECT& area, const wchar_t* name) {
    if (folder_.empty()) return;
    wchar_t file[MAX_PATH];
    swprintf(file, MAX_PATH, L"%02d_%ls.bmp", ++pictures_, name);
    std::wstring path = folder_ + L"\\" + file;
    bool saved =
        camera_.empty() ? SaveScreenArea(area, path) : SaveScreenAreaBy(camera_, area, path);
    std::wstring base = file;
    Note(L"picture " + base.substr(0, base.size() - 4) + (saved ? L"" : L" NOT saved"));
}

int DemoWalk::Summary() const {
    int failed = 0;
    PrintText(L"\nsummary:\n");
    for (size_t i = 0; i < steps_.size(); ++i) {
        if (!steps_[i].ok) ++failed;
        wchar_t line[32];
        swprintf(line, 32, L"  %2u  %-6ls ", static_cast<unsigned>(i + 1),
                 steps_[i].ok ? L"ok" : L"FAILED");
        PrintText(line + steps_[i].what + L"\n");
    }
    PrintText(L"\n" + std::to_wstring(steps_.size() - failed) + L" of " +
              std::to_wstring(steps_.size()) + L" steps ok\n");
    return failed == 0 && !steps_.empty() ? 0 : 1;
}
