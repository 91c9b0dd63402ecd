#pragma once
#include <windows.h>

#include "PageContent.h"
#include "StyleSheet.h"

// The page area of the frame: draws what PageContent read from a document.
// Channel pages take their colours from the style sheet the page refers to.
class PageView {
public:
    PageView() = default;
    ~PageView();
    PageView(const PageView&) = delete;
    PageView& operator=(const PageView&) = delete;

    bool Create(HWND parent);
    HWND Window() const { return window_; }
    void Show(const PageContent& page, const SheetColours& colours);
    const PageContent& Page() const { return page_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT& client);
    void PaintWeb(HDC dc, const RECT& client);
    void PaintChannel(HDC dc, const RECT& client);
    void PaintNotice(HDC dc, const RECT& client);

    HWND window_ = nullptr;
    PageContent page_;
    SheetColours colours_;
};
