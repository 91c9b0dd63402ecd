#pragma once
#include <windows.h>

#include <string>

// The colours a style sheet gives the parts of a channel page; what the page
// view needs to draw a page the way the browser would with that sheet.
struct SheetColours {
    COLORREF page = RGB(255, 255, 255), text = RGB(0, 0, 0);
    COLORREF header = RGB(230, 230, 230), name = RGB(0, 0, 0), info = RGB(90, 90, 90);
    COLORREF item = RGB(255, 255, 255), edge = RGB(200, 200, 200);
    COLORREF title = RGB(0, 0, 160), date = RGB(120, 120, 120), description = RGB(40, 40, 40);
};

// Reads the plain rules of the shipped sheets (selector lists, declarations,
// comments); unknown selectors and properties are ignored.
SheetColours ColoursOfSheet(const std::string& css);
