#include "browser/PartnerWindow.h"

#include <cstring>

namespace {

const char kPartnerClass[] = "RSS_TestPartner";
const char kProperty[] = "PROP_RSSBAND_POINTER";
const char kSelfProperty[] = "RSS_TestPartnerObject";
// The codes the band sends its partner.
const UINT kPartnerAttach = WM_USER + 1019;
const UINT kPartnerPage = WM_USER + 1020;
const UINT kPartnerQuery = WM_USER + 1021;

}  // namespace

PartnerWindow::PartnerWindow(HWND parent, const char* className) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!className) {
        WNDCLASSA windowClass = {};
        if (!GetClassInfoA(instance, kPartnerClass, &windowClass)) {
            windowClass.lpfnWndProc = DefWindowProcA;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = kPartnerClass;
            RegisterClassA(&windowClass);
        }
        className = kPartnerClass;
    }
    window_ = CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent,
                              nullptr, instance, nullptr);
    if (!window_) return;
    SetPropA(window_, kProperty, reinterpret_cast<HANDLE>(this));
    SetPropA(window_, kSelfProperty, reinterpret_cast<HANDLE>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
}

PartnerWindow::~PartnerWindow() {
    if (!window_ || !IsWindow(window_)) return;
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(window_, kProperty);
    RemovePropA(window_, kSelfProperty);
    DestroyWindow(window_);
}

int PartnerWindow::Count(UINT message) const {
    int count = 0;
    for (const Message& entry : messages_) count += entry.message == message;
    return count;
}

LRESULT CALLBACK PartnerWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto self = reinterpret_cast<PartnerWindow*>(GetPropA(hwnd, kSelfProperty));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT PartnerWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message < kPartnerAttach || message > kPartnerQuery) {
        return CallWindowProcA(original_, window_, message, wParam, lParam);
    }
    messages_.push_back({message, wParam, lParam});
    if (message == kPartnerQuery) return queryAnswer_;
    if (message == kPartnerPage && wParam && !pageName_.empty()) {
        char page[32] = {};
        std::strncpy(page, pageName_.c_str(), sizeof page);
        SendMessageA(reinterpret_cast<HWND>(wParam), kPartnerPage, 0,
                     reinterpret_cast<LPARAM>(page));
    }
    return 0;
}
