#pragma once
// Text helpers of the engine: the band's dropped links and rundll32's
// command line arrive in the ANSI code page; its files are UTF-8 (see
// ChannelFiles.h for those conversions).
#include <windows.h>
#include <string>

#include "common/XmlText.h"

std::wstring WideFromAnsi(const char* text, size_t length);
// Leading and trailing blanks, line breaks and quotes removed.
std::wstring TrimAddress(const std::wstring& text);
