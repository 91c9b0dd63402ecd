#pragma once
#include <windows.h>

// Draws one item of the plug-in's owner-drawn menu the way the toolbar draws
// its buttons: the icon the plug-in named at the left, the record's text
// after it, greyed when disabled, highlighted when selected.
void PaintMenuItem(const DRAWITEMSTRUCT* draw, HICON icon, HFONT font);
