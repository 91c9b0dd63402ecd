#include "engine/EngineText.h"

std::wstring WideFromAnsi(const char* text, size_t length) {
    if (!text || length == 0) return std::wstring();
    int size = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    std::wstring out(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), &out[0], size);
    return out;
}

std::wstring TrimAddress(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n\"'";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}
