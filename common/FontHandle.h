#pragma once
#include <windows.h>

// Owns one GDI font.
class FontHandle {
public:
    FontHandle() = default;
    ~FontHandle() { Reset(); }
    FontHandle(const FontHandle&) = delete;
    FontHandle& operator=(const FontHandle&) = delete;

    // A copy of font (the system's GUI font when null) at the given weight.
    bool CreateWeighted(HFONT font, LONG weight) {
        LOGFONTW description = {};
        HGDIOBJ source = font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
        if (!GetObjectW(source, sizeof description, &description)) return false;
        description.lfWeight = weight;
        Reset();
        font_ = CreateFontIndirectW(&description);
        return font_ != nullptr;
    }
    // A copy of font (the system's GUI font when null) factor times as high
    // and without underline.
    bool CreateScaled(HFONT font, int factor) {
        LOGFONTW description = {};
        HGDIOBJ source = font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
        if (!GetObjectW(source, sizeof description, &description)) return false;
        description.lfHeight *= factor;
        description.lfUnderline = FALSE;
        Reset();
        font_ = CreateFontIndirectW(&description);
        return font_ != nullptr;
    }
    // Frees the font held and takes font (null: none).
    void Reset(HFONT font = nullptr) {
        if (font_ && font_ != font) DeleteObject(font_);
        font_ = font;
    }
    HFONT Get() const { return font_; }

private:
    HFONT font_ = nullptr;
};
