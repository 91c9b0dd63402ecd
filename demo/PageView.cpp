#include "PageView.h"

namespace {

const wchar_t kViewClass[] = L"DemoPageView";

class Font {
public:
    Font(int height, bool bold, bool underline = false)
        : font_(CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, underline, 0,
                            DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"WenQuanYi Micro Hei")) {}
    ~Font() { DeleteObject(font_); }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    HFONT get() const { return font_; }

private:
    HFONT font_;
};

void Fill(HDC dc, RECT rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// Draws text into rect and returns the height it took.
int Text(HDC dc, const std::wstring& text, RECT rect, COLORREF colour, const Font& font,
         UINT flags = DT_SINGLELINE | DT_END_ELLIPSIS) {
    HGDIOBJ old = SelectObject(dc, font.get());
    SetTextColor(dc, colour);
    RECT measure = rect;
    DrawTextW(dc, text.c_str(), -1, &measure, flags | DT_NOPREFIX | DT_CALCRECT);
    if (!(flags & DT_SINGLELINE) && measure.bottom < rect.bottom) rect.bottom = measure.bottom;
    DrawTextW(dc, text.c_str(), -1, &rect, flags | DT_NOPREFIX);
    SelectObject(dc, old);
    return rect.bottom - rect.top;
}

}  // namespace

PageView::~PageView() {
    if (window_) DestroyWindow(window_);
}

bool PageView::Create(HWND parent) {
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), kViewClass, &windowClass)) {
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kViewClass;
        RegisterClassW(&windowClass);
    }
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, kViewClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10,
                              10, parent, nullptr, GetModuleHandleW(nullptr), this);
    return window_ != nullptr;
}

void PageView::Show(const PageContent& page, const SheetColours& colours) {
    page_ = page;
    colours_ = colours;
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
}

LRESULT CALLBACK PageView::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<PageView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT && self) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        // Drawn off screen first, so that a repaint never shows half a page.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        self->Paint(memory, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void PageView::Paint(HDC dc, const RECT& client) {
    SetBkMode(dc, TRANSPARENT);
    switch (page_.kind) {
        case PageContent::Kind::Channel:
            PaintChannel(dc, client);
            break;
        case PageContent::Kind::Web:
            PaintWeb(dc, client);
            break;
        case PageContent::Kind::Notice:
            PaintNotice(dc, client);
            break;
        case PageContent::Kind::Empty:
            Fill(dc, client, RGB(255, 255, 255));
            break;
    }
}

void PageView::PaintWeb(HDC dc, const RECT& client) {
    Fill(dc, client, RGB(255, 255, 255));
    Font heading(24, true), body(15, false), link(15, false, true);
    int y = 16;
    for (const PageContent::Block& block : page_.blocks) {
        if (y > client.bottom) break;
        RECT area = {24, y, client.right - 24, client.bottom};
        switch (block.style) {
            case PageContent::Style::Heading:
                y += Text(dc, block.text, area, RGB(30, 30, 30), heading, DT_WORDBREAK) + 12;
                break;
            case PageContent::Style::Link:
                area.left += 12;
                y += Text(dc, L"\x2022 " + block.text, area, RGB(0, 0, 204), link) + 8;
                break;
            case PageContent::Style::Paragraph:
                y += Text(dc, block.text, area, RGB(40, 40, 40), body, DT_WORDBREAK) + 10;
                break;
        }
    }
}

void PageView::PaintChannel(HDC dc, const RECT& client) {
    const SheetColours& c = colours_;
    Fill(dc, client, c.page);
    Font big(22, true), title(16, true), small(12, false), body(14, false);
    Fill(dc, {0, 0, client.right, 70}, c.header);
    Text(dc, page_.title, {18, 12, client.right - 18, 42}, c.name, big);
    Text(dc, page_.channelInfo, {18, 44, client.right - 18, 64}, c.info, small);
    int y = 84;
    for (const PageContent::Item& item : page_.items) {
        if (y > client.bottom) break;
        RECT card = {14, y, client.right - 14, y + 92};
        Fill(dc, card, c.item);
        Fill(dc, {card.left, card.top, card.left + 4, card.bottom}, c.edge);
        Fill(dc, {card.left, card.bottom - 1, card.right, card.bottom}, c.edge);
        Text(dc, item.title, {30, y + 8, card.right - 10, y + 30}, c.title, title);
        Text(dc, item.date, {30, y + 32, card.right - 10, y + 48}, c.date, small);
        Text(dc, item.description, {30, y + 52, card.right - 10, y + 88}, c.description, body,
             DT_WORDBREAK | DT_END_ELLIPSIS);
        y += 104;
    }
}

void PageView::PaintNotice(HDC dc, const RECT& client) {
    Fill(dc, client, RGB(246, 246, 246));
    Font heading(20, true), body(14, false);
    int y = 40;
    y += Text(dc, page_.title, {40, y, client.right - 40, client.bottom}, RGB(90, 90, 90), heading,
              DT_WORDBREAK) +
         16;
    for (const PageContent::Block& block : page_.blocks) {
        y += Text(dc, block.text, {40, y, client.right - 40, client.bottom}, RGB(90, 90, 90), body,
                  DT_WORDBREAK) +
             8;
    }
}
