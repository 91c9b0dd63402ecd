#include "Screenshot.h"

#include <cwchar>

#include "common/KernelHandle.h"

namespace {

class ScreenBitmap {
public:
    ScreenBitmap(int width, int height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (bitmap_) old_ = SelectObject(memory_, bitmap_);
    }
    ~ScreenBitmap() {
        if (old_) SelectObject(memory_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
    }
    ScreenBitmap(const ScreenBitmap&) = delete;
    ScreenBitmap& operator=(const ScreenBitmap&) = delete;

    bool Copy(const RECT& area) {
        if (!bits_) return false;
        BOOL ok = BitBlt(memory_, 0, 0, area.right - area.left, area.bottom - area.top, screen_,
                         area.left, area.top, SRCCOPY);
        GdiFlush();
        return ok != FALSE;
    }
    const void* Bits() const { return bits_; }

private:
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

}  // namespace

bool SaveScreenArea(const RECT& area, const std::wstring& path) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    ScreenBitmap picture(width, height);
    if (!picture.Copy(area)) return false;
    BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB};
    DWORD rowBytes = (width * 3 + 3) & ~3u;
    info.biSizeImage = rowBytes * height;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + info.biSizeImage;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, &header, sizeof header, &written, nullptr) &&
              WriteFile(file, &info, sizeof info, &written, nullptr) &&
              WriteFile(file, picture.Bits(), info.biSizeImage, &written, nullptr) &&
              written == info.biSizeImage;
    CloseHandle(file);
    return ok;
}

namespace {

constexpr wchar_t kSaveScreenArea[] = L"--save-screen-area=";
// Only a camera that hangs uses this up.
constexpr DWORD kCameraPatienceMs = 30000;

}  // namespace

bool SaveScreenAreaBy(const std::wstring& camera, const RECT& area, const std::wstring& path) {
    wchar_t rect[64];
    swprintf(rect, 64, L"%ld,%ld,%ld,%ld", area.left, area.top, area.right, area.bottom);
    std::wstring command = L"\"" + camera + L"\" " + kSaveScreenArea + rect + L" \"" + path + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(camera.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return false;
    }
    KernelHandle process(started.hProcess), thread(started.hThread);
    DWORD exitCode = 1;
    return WaitForSingleObject(process.Get(), kCameraPatienceMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process.Get(), &exitCode) && exitCode == 0;
}

bool ParseSaveScreenArea(int argc, wchar_t** argv, RECT& area, std::wstring& path) {
    const size_t length = wcslen(kSaveScreenArea);
    for (int i = 1; i + 1 < argc; ++i) {
        if (wcsncmp(argv[i], kSaveScreenArea, length) != 0) continue;
        wchar_t end = 0;
        if (swscanf(argv[i] + length, L"%ld,%ld,%ld,%ld%lc", &area.left, &area.top, &area.right,
                    &area.bottom, &end) != 4) {
            return false;
        }
        path = argv[i + 1];
        return !path.empty();
    }
    return false;
}

RECT AreaOfWindows(std::initializer_list<HWND> windows) {
    RECT area = {};
    for (HWND window : windows) {
        RECT rect;
        if (!window || !IsWindowVisible(window) || !GetWindowRect(window, &rect)) continue;
        if (IsRectEmpty(&area)) {
            area = rect;
        } else {
            UnionRect(&area, &area, &rect);
        }
    }
    return area;
}
