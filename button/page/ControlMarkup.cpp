#include "page/ControlMarkup.h"

#include <cwchar>

namespace {

std::wstring EscapeCharacter(wchar_t c) {
    switch (c) {
        case L'&':
            return L"&amp;";
        case L'"':
            return L"&quot;";
        case L'\'':
            return L"&#39;";
        case L'<':
            return L"&lt;";
        case L'>':
            return L"&gt;";
        default:
            return std::wstring(1, c);
    }
}

}  // namespace

std::wstring EscapeHtmlAttribute(const wchar_t* text) {
    std::wstring escaped;
    for (; text && *text; ++text) escaped += EscapeCharacter(*text);
    return escaped;
}

std::wstring FormatControlMarkup(const wchar_t* templ, const wchar_t* address, size_t maxChars) {
    if (!templ) return std::wstring();
    std::wstring pattern = templ;
    size_t slot = pattern.find(L"%s");
    if (slot == std::wstring::npos) return pattern.substr(0, maxChars);
    std::wstring before = pattern.substr(0, slot);
    std::wstring after = pattern.substr(slot + 2);
    if (before.size() + after.size() > maxChars) return std::wstring();
    size_t room = maxChars - before.size() - after.size();
    std::wstring value;
    for (const wchar_t* p = address; p && *p; ++p) {
        std::wstring piece = EscapeCharacter(*p);
        if (value.size() + piece.size() > room) break;
        value += piece;
    }
    return before + value + after;
}
