#pragma once
#include <windows.h>

// Owns one icon loaded from a module resource.
class IconHandle {
public:
    IconHandle() = default;
    ~IconHandle() { Reset(); }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;

    // Loads the 16x16 image of icon resource id; false when it is missing.
    bool LoadSmall(HINSTANCE module, int id) {
        Reset();
        icon_ = static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        return icon_ != nullptr;
    }
    void Reset() {
        if (icon_) DestroyIcon(icon_);
        icon_ = nullptr;
    }
    HICON Get() const { return icon_; }

private:
    HICON icon_ = nullptr;
};
