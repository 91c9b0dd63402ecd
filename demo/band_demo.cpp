// Hosts rssband.dll the way the browser does: a small browser frame gives the
// band object its site, the stand-in feed engine fills the tree, a click on a
// channel shows its page, and another style sheet restyles it. Screenshots
// (24-bit BMP) go to %DEMO_OUT%: the band with a page, the options menu, and
// the page in another sheet.
//
// The browser stand-in has no HTML engine, so the page area beside the band
// is a small preview of our own: it reads the page file the band navigated
// to and draws it with the main colours of the active "rss.css".
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "browser/BandSite.h"
#include "browser/WebBrowserStandin.h"
#include "engine/EngineControl.h"
#include "res/resource.h"
#include "server/EngineProtocol.h"

namespace {

// {8755CE6E-0BF7-4441-8751-FB728941B0B4}
const CLSID kRssBandClass = {
    0x8755ce6e, 0x0bf7, 0x4441, {0x87, 0x51, 0xfb, 0x72, 0x89, 0x41, 0xb0, 0xb4}};

const int kFrameWidth = 820;
const int kFrameHeight = 560;
const int kBandWidth = 250;

void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

std::wstring Folder(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Folder(path);
}

std::string ReadAll(const std::wstring& path) {
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read) text.append(buffer, read);
    CloseHandle(file);
    return text;
}

std::wstring FromUtf8(const std::string& text) {
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size > 0 ? size : 0, L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    }
    return out;
}

// ---- the page preview

// The colours a style sheet gives the parts of a channel page.
struct SheetColours {
    COLORREF page = RGB(255, 255, 255), text = RGB(0, 0, 0);
    COLORREF header = RGB(230, 230, 230), name = RGB(0, 0, 0), info = RGB(90, 90, 90);
    COLORREF item = RGB(255, 255, 255), edge = RGB(200, 200, 200);
    COLORREF title = RGB(0, 0, 160), date = RGB(120, 120, 120), description = RGB(40, 40, 40);
};

bool ParseColour(const std::string& value, COLORREF* colour) {
    size_t hash = value.find('#');
    if (hash == std::string::npos) return false;
    std::string hex;
    for (size_t i = hash + 1; i < value.size() && isxdigit(static_cast<unsigned char>(value[i]));
         ++i) {
        hex += value[i];
    }
    if (hex.size() == 3) hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
    if (hex.size() != 6) return false;
    unsigned long rgb = std::strtoul(hex.c_str(), nullptr, 16);
    *colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

// selector -> property -> value, for the plain rules the shipped sheets use.
using Rules = std::map<std::string, std::map<std::string, std::string>>;

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

Rules ParseSheet(std::string css) {
    for (size_t start; (start = css.find("/*")) != std::string::npos;) {
        size_t end = css.find("*/", start);
        css.erase(start, end == std::string::npos ? std::string::npos : end + 2 - start);
    }
    Rules rules;
    size_t at = 0;
    for (size_t open; (open = css.find('{', at)) != std::string::npos;) {
        size_t close = css.find('}', open);
        if (close == std::string::npos) break;
        std::string selectors = css.substr(at, open - at);
        std::string body = css.substr(open + 1, close - open - 1);
        for (size_t s = 0, comma; s <= selectors.size(); s = comma + 1) {
            comma = selectors.find(',', s);
            if (comma == std::string::npos) comma = selectors.size();
            std::string selector = Trim(selectors.substr(s, comma - s));
            for (size_t p = 0, semi; p < body.size(); p = semi + 1) {
                semi = body.find(';', p);
                if (semi == std::string::npos) semi = body.size();
                std::string declaration = body.substr(p, semi - p);
                size_t colon = declaration.find(':');
                if (colon == std::string::npos) continue;
                rules[selector][Trim(declaration.substr(0, colon))] =
                    Trim(declaration.substr(colon + 1));
            }
        }
        at = close + 1;
    }
    return rules;
}

void Take(const Rules& rules, const char* selector, const char* property, COLORREF* colour) {
    auto rule = rules.find(selector);
    if (rule == rules.end()) return;
    auto value = rule->second.find(property);
    if (value != rule->second.end()) ParseColour(value->second, colour);
}

SheetColours ColoursOf(const std::string& css) {
    Rules rules = ParseSheet(css);
    SheetColours c;
    Take(rules, "body", "background", &c.page);
    Take(rules, "body", "color", &c.text);
    c.header = c.item = c.page;
    c.name = c.description = c.text;
    Take(rules, "#channel", "background", &c.header);
    Take(rules, "#channel", "color", &c.info);
    Take(rules, "#name", "color", &c.name);
    Take(rules, "#name a", "color", &c.name);
    Take(rules, "#info", "color", &c.info);
    Take(rules, "#item", "background", &c.item);
    Take(rules, "#item", "border-bottom", &c.edge);
    Take(rules, "#item", "border", &c.edge);
    Take(rules, "#item", "border-left", &c.edge);
    Take(rules, "#title a", "color", &c.title);
    Take(rules, "#date", "color", &c.date);
    Take(rules, "#description", "color", &c.description);
    return c;
}

std::wstring Unescape(std::wstring text) {
    const std::pair<const wchar_t*, wchar_t> entities[] = {
        {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&#39;", L'\''}, {L"&amp;", L'&'}};
    for (const auto& entity : entities) {
        for (size_t at; (at = text.find(entity.first)) != std::wstring::npos;) {
            text.replace(at, wcslen(entity.first), 1, entity.second);
        }
    }
    return text;
}

// The text of the first element after `from` that opens with `open`.
std::wstring Between(const std::wstring& page, const std::wstring& open, size_t* from) {
    size_t start = page.find(open, *from);
    if (start == std::wstring::npos) return std::wstring();
    start = page.find(L'>', start) + 1;
    size_t end = page.find(L'<', start);
    *from = end;
    return Unescape(page.substr(start, end - start));
}

struct PageItem {
    std::wstring title, date, description;
};

class PagePreview {
public:
    void Create(HWND frame, int x, int width, int height) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.lpszClassName = "BandDemoPage";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "BandDemoPage", "", WS_CHILD | WS_VISIBLE, x, 0, width, height,
                                  frame, nullptr, GetModuleHandleA(nullptr), this);
    }
    // Reads the page file and the sheet beside it, as the browser would.
    void Show(const std::wstring& pageFile) {
        std::wstring page = FromUtf8(ReadAll(pageFile));
        colours_ = ColoursOf(ReadAll(Folder(pageFile) + L"rss.css"));
        size_t at = 0;
        channel_ = Between(page, L"<div id=\"name\"", &at);
        info_ = Between(page, L"<div id=\"info\"", &at);
        items_.clear();
        while (page.find(L"<div id=\"item\"", at) != std::wstring::npos) {
            PageItem item;
            at = page.find(L"<div id=\"item\"", at);
            item.title = Between(page, L"<a href", &at);
            item.date = Between(page, L"<div id=\"date\"", &at);
            item.description = Between(page, L"<div id=\"description\"", &at);
            items_.push_back(item);
        }
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        }
        auto self = reinterpret_cast<PagePreview*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message == WM_PAINT && self) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            self->Paint(dc);
            EndPaint(hwnd, &paint);
            return 0;
        }
        if (message == WM_ERASEBKGND) return 1;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    static HFONT Font(int height, bool bold) {
        return CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                           0, 0, CLEARTYPE_QUALITY, 0, L"WenQuanYi Micro Hei");
    }

    void Text(HDC dc, const std::wstring& text, RECT rect, COLORREF colour, HFONT font,
              UINT flags = DT_SINGLELINE | DT_END_ELLIPSIS) {
        HGDIOBJ old = SelectObject(dc, font);
        SetTextColor(dc, colour);
        DrawTextW(dc, text.c_str(), -1, &rect, flags | DT_NOPREFIX);
        SelectObject(dc, old);
    }

    void Fill(HDC dc, RECT rect, COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }

    void Paint(HDC dc) {
        RECT client;
        GetClientRect(window_, &client);
        Fill(dc, client, colours_.page);
        SetBkMode(dc, TRANSPARENT);
        if (channel_.empty()) return;
        HFONT big = Font(22, true), title = Font(16, true), small = Font(12, false),
              body = Font(14, false);
        Fill(dc, {0, 0, client.right, 70}, colours_.header);
        Text(dc, channel_, {18, 12, client.right - 18, 42}, colours_.name, big);
        Text(dc, info_, {18, 44, client.right - 18, 64}, colours_.info, small);
        int y = 84;
        for (const PageItem& item : items_) {
            RECT card = {14, y, client.right - 14, y + 92};
            Fill(dc, card, colours_.item);
            Fill(dc, {card.left, card.top, card.left + 4, card.bottom}, colours_.edge);
            Fill(dc, {card.left, card.bottom - 1, card.right, card.bottom}, colours_.edge);
            Text(dc, item.title, {30, y + 8, card.right - 10, y + 30}, colours_.title, title);
            Text(dc, item.date, {30, y + 32, card.right - 10, y + 48}, colours_.date, small);
            Text(dc, item.description, {30, y + 52, card.right - 10, y + 88}, colours_.description,
                 body, DT_WORDBREAK | DT_END_ELLIPSIS);
            y += 104;
        }
        for (HFONT font : {big, title, small, body}) DeleteObject(font);
    }

    HWND window_ = nullptr;
    SheetColours colours_;
    std::wstring channel_, info_;
    std::vector<PageItem> items_;
};

// ---- screenshots

// The screen under a window, as a 24-bit bottom-up BMP.
bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = (width * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + rowBytes * height;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    bool ok = out != INVALID_HANDLE_VALUE;
    if (ok) {
        DWORD written = 0;
        WriteFile(out, &file, sizeof file, &written, nullptr);
        WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr);
        WriteFile(out, bits, rowBytes * height, &written, nullptr);
        CloseHandle(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// $DEMO_OUT as a Windows path (a Unix path lies on drive Z:); "." when unset.
std::wstring OutputFolder() {
    wchar_t value[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"DEMO_OUT", value, MAX_PATH)) lstrcpyW(value, L".");
    std::wstring folder = value;
    for (wchar_t& ch : folder) {
        if (ch == L'/') ch = L'\\';
    }
    if (!folder.empty() && folder[0] == L'\\') folder = L"Z:" + folder;
    return folder + L"\\";
}

void Screenshot(HWND window, const wchar_t* name) {
    Pump(300);
    std::wstring path = OutputFolder() + name;
    std::printf("  screenshot %-28ls %s\n", name,
                SaveWindowBitmap(window, path) ? "saved" : "FAILED");
}

// The options menu, photographed while it is open and then closed.
HWND g_frame = nullptr;
bool g_menuShot = false;
void CALLBACK ShootMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    KillTimer(nullptr, id);
    Screenshot(g_frame, L"band_options_menu.bmp");
    g_menuShot = true;
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
}

// ---- the engine and the band

bool StartEngine(const std::wstring& bandFolder) {
    if (FindWindowA(kEngineWindowClass, nullptr)) return true;
    std::wstring command = L"rundll32 \"" + bandFolder + L"Feed.dll\",EntryPoint";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 200 && !FindWindowA(kEngineWindowClass, nullptr); ++wait) Sleep(100);
    return FindWindowA(kEngineWindowClass, nullptr) != nullptr;
}

IObjectWithSite* CreateBand(const std::wstring& dll) {
    HMODULE module = LoadLibraryW(dll.c_str());
    auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        GetProcAddress(module, "DllGetClassObject"));
    IClassFactory* factory = nullptr;
    if (!getClass ||
        FAILED(getClass(kRssBandClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        return nullptr;
    }
    IObjectWithSite* band = nullptr;
    factory->CreateInstance(nullptr, IID_IObjectWithSite, reinterpret_cast<void**>(&band));
    factory->Release();
    return band;
}

void StoreStyleSheet(DWORD sheet) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Varnel R&D\\RSS", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, "CSS", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&sheet),
                       sizeof sheet);
        RegCloseKey(key);
    }
}

HTREEITEM FindByText(HWND tree, HTREEITEM item, const std::wstring& text) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t label[260] = L"";
        TVITEMW query = {};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = label;
        query.cchTextMax = 260;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        if (text == label) return item;
        if (HTREEITEM below = FindByText(tree, TreeView_GetChild(tree, item), text)) return below;
    }
    return nullptr;
}

// A click as the user makes it: the pointer on the label, then the tree's
// click notification to its pane.
void ClickItem(HWND pane, HWND tree, HTREEITEM item) {
    RECT rect = {};
    TreeView_GetItemRect(tree, item, &rect, TRUE);
    POINT at = {rect.left + 6, (rect.top + rect.bottom) / 2};
    ClientToScreen(tree, &at);
    SetCursorPos(at.x, at.y);
    NMHDR click = {tree, 0, NM_CLICK};
    SendMessageA(pane, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
}

const char kDemoTree[] =
    "node\t5\t0\tfolder\t科技\n"
    "node\t6\t5\tchannel\t开源周刊\trss_6\n"
    "node\t7\t5\tchannel\t硬件评测 (3)\trss_7\n"
    "node\t8\t5\tchannel\tWeb 开发\trss_8\n"
    "node\t9\t0\tfolder\t生活\n"
    "node\t10\t9\tchannel\t美食地图\trss_10\n"
    "node\t11\t9\tchannel\t旅行笔记\trss_11\n"
    "send\t2028\t5\t0\n"
    "send\t2039\t7\t0\n"
    "send\t2039\t5\t0\n"
    "send\t2039\t2\t0\n"
    "send\t2039\t1\t0\n"
    "send\t2034\t11\t-1\n"
    "send\t2034\t10\t6\n";

}  // namespace

int main() {
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // The band sits in build/<arch>/band/, this program in build/<arch>/demo/.
    std::wstring bandFolder = ProgramFolder() + L"..\\band\\";
    std::printf("band demo: rssband.dll from %ls\n", bandFolder.c_str());
    StoreStyleSheet(0);
    if (!StartEngine(bandFolder)) {
        std::printf("band demo: the stand-in engine did not start\n");
        return 1;
    }
    std::printf("  stand-in engine running (window \"RSS_Feed\")\n");

    WebBrowserStandin* browser = WebBrowserStandin::Create();
    BandSite* site = BandSite::Create(browser);
    g_frame = site->Frame();
    browser->SetWindow(site->Frame());
    SetWindowPos(site->Frame(), nullptr, 20, 20, kFrameWidth, kFrameHeight, SWP_NOZORDER);
    SetWindowPos(site->Host(), nullptr, 0, 0, kBandWidth, kFrameHeight, SWP_NOZORDER);
    PagePreview preview;
    preview.Create(site->Frame(), kBandWidth, kFrameWidth - kBandWidth, kFrameHeight);
    ShowWindow(site->Frame(), SW_SHOW);

    IObjectWithSite* band = CreateBand(bandFolder + L"rssband.dll");
    if (!band || FAILED(band->SetSite(static_cast<IServiceProvider*>(site)))) {
        std::printf("band demo: the band could not be sited\n");
        return 1;
    }
    HWND frame = FindWindowExA(site->Host(), nullptr, "RSS_SplitterWindow", nullptr);
    HWND pane = FindWindowExA(frame, nullptr, "RSS_FeedTreePane", nullptr);
    HWND tree = FindWindowExA(pane, nullptr, "SysTreeView32", nullptr);
    std::printf("  band sited: frame %p, tree pane %p, tree %p\n", static_cast<void*>(frame),
                static_cast<void*>(pane), static_cast<void*>(tree));
    Pump(500);
    LRESULT lines = SendEngineScript(kDemoTree);
    Pump(300);
    std::printf("  engine described %u nodes (%ld script lines)\n", TreeView_GetCount(tree),
                static_cast<long>(lines));

    HTREEITEM channel = FindByText(tree, TreeView_GetRoot(tree), L"国内新闻");
    ClickItem(pane, tree, channel);
    for (int wait = 0; wait < 100 && browser->Navigations().empty(); ++wait) Pump(30);
    if (browser->Navigations().empty()) {
        std::printf("  the click showed no page\n");
    } else {
        std::printf("  click on 国内新闻: browser navigated to %ls\n",
                    browser->Navigations().back().url.c_str());
        preview.Show(browser->Navigations().back().url);
    }
    Screenshot(site->Frame(), L"band.bmp");

    // The options button drops its menu with the shipped sheets.
    HWND toolbar = FindWindowExA(pane, nullptr, "ToolbarWindow32", nullptr);
    RECT button = {};
    SendMessageA(toolbar, TB_GETITEMRECT, SendMessageA(toolbar, TB_COMMANDTOINDEX, ID_OPTIONS, 0),
                 reinterpret_cast<LPARAM>(&button));
    SetTimer(nullptr, 0, 100, ShootMenu);
    LPARAM at = MAKELPARAM(button.left + 4, button.top + 4);
    PostMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(toolbar, WM_LBUTTONUP, 0, at);
    for (int wait = 0; wait < 100 && !g_menuShot; ++wait) Pump(30);

    // Another style sheet: the band copies it to rss.css and reloads the page.
    size_t shown = browser->Navigations().size();
    SendMessageA(pane, WM_COMMAND, ID_STYLE_SHEET_FIRST + 2, 0);
    std::printf("  chose style sheet 11002: %u more navigation(s), %d refresh(es)\n",
                static_cast<unsigned>(browser->Navigations().size() - shown), browser->Refreshes());
    if (!browser->Navigations().empty()) preview.Show(browser->Navigations().back().url);
    Screenshot(site->Frame(), L"band_page_night.bmp");

    band->SetSite(nullptr);
    band->Release();
    ShowWindow(site->Frame(), SW_HIDE);
    site->Release();
    browser->Release();
    StoreStyleSheet(0);
    PostMessageA(FindWindowA(kEngineWindowClass, nullptr), WM_CLOSE, 0, 0);
    CoUninitialize();
    std::printf("band demo: done\n");
    return 0;
}
