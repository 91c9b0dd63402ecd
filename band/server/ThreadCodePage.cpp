#include "server/ThreadCodePage.h"

std::string ToThreadAnsi(const wchar_t* text) {
    if (!text) return std::string();
    int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(size, '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(size - 1);
    return out;
}

std::wstring FromThreadAnsi(const std::string& text) {
    int size = MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), -1, &out[0], size);
    out.resize(size - 1);
    return out;
}
