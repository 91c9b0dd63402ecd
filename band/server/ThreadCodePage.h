#pragma once
// Text between the band's ANSI side and the UTF-16 of COM, MSXML and the
// engine's batches, in the thread's code page.
#include <windows.h>
#include <string>

std::string ToThreadAnsi(const wchar_t* text);
std::wstring FromThreadAnsi(const std::string& text);
