#pragma once
#include <windows.h>

#include <string>

// The text of one character as it may stand inside a double-quoted HTML
// attribute: &, ", ', < and > become character references.
std::wstring EscapeHtmlAttribute(const wchar_t* text);

// The control's markup: templ with its "%s" replaced by the address escaped
// as attribute text. The result stays within maxChars; when the address is
// too long it is cut between characters, never inside a reference or
// outside its attribute, so the markup stays well formed.
std::wstring FormatControlMarkup(const wchar_t* templ, const wchar_t* address, size_t maxChars);
