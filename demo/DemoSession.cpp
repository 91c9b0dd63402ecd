#include "DemoSession.h"

#include "Screenshot.h"

bool DemoSession::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return done();
        Pump(30);
    }
    return true;
}

RECT DemoSession::FrameArea() const {
    return AreaOfWindows({frame.Window()});
}

RECT DemoSession::FrameAnd(HWND window) const {
    return AreaOfWindows({frame.Window(), window});
}
