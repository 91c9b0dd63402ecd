// The confirmation tip: placed under the button, kept on the screen, closed
// by a click or its timer, never activated.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/AddedTip.h"
#include "core/HostProtocol.h"
#include "core/RssButton.h"
#include "host/HostToolbar.h"
#include "support/Patience.h"

namespace {

void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
}

// Pumps this thread's messages until done() holds; false when it never does.
template <class Done>
bool PumpUntil(Done done) {
    for (DWORD start = GetTickCount(); !done();) {
        if (GetTickCount() - start > kPatienceMs) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// Runs work on a thread of its own, as another browser window's thread,
// while this thread keeps pumping its messages.
template <class Work>
bool OnAnotherThread(Work work) {
    struct Call {
        static DWORD WINAPI Run(void* work) {
            (*static_cast<Work*>(work))();
            return 0;
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, &Call::Run, &work, 0, nullptr);
    if (!thread) return false;
    bool ended = PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; });
    if (!ended) TerminateThread(thread, 1);
    CloseHandle(thread);
    return ended;
}

RECT TipRect() {
    RECT rect = {};
    GetWindowRect(TheAddedTip().Window(), &rect);
    return rect;
}

class AddedTipTest : public ::testing::Test {
protected:
    void TearDown() override { TheAddedTip().Destroy(); }
};

}  // namespace

TEST_F(AddedTipTest, ShowsUnderTheButtonWithoutTakingTheFocus) {
    HostToolbar host;
    ASSERT_TRUE(host.Create());
    SetForegroundWindow(host.Frame());
    HWND active = GetActiveWindow();
    RssButton button;
    button.OnMessage(host.Record(), host.Host(), kCodeAttach, 0, 0);
    button.ShowTip(L"已添加该RSS订阅");
    HWND tip = TheAddedTip().Window();
    ASSERT_TRUE(IsWindowVisible(tip));
    EXPECT_STREQ(TheAddedTip().Text(), L"已添加该RSS订阅");

    wchar_t cls[32] = {};
    GetClassNameW(tip, cls, 32);
    EXPECT_STREQ(cls, L"RssAddedTip");
    RECT buttonRect = {};
    SendMessageW(host.Toolbar(), TB_GETRECT, host.Record()->commandId,
                 reinterpret_cast<LPARAM>(&buttonRect));
    POINT expected = {buttonRect.left, buttonRect.bottom + 2};
    ClientToScreen(host.Toolbar(), &expected);
    EXPECT_EQ(TipRect().left, expected.x);
    EXPECT_EQ(TipRect().top, expected.y);
    EXPECT_GT(TipRect().right - TipRect().left, 10);
    EXPECT_EQ(GetActiveWindow(), active);
    EXPECT_NE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // A click closes it and activates nothing.
    EXPECT_EQ(SendMessageW(tip, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host.Frame()),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    SendMessageW(tip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(TheAddedTip().Window(), nullptr);
}

TEST_F(AddedTipTest, NearTheRightEdgeItIsMovedLeftToEndTenPixelsBeforeIt) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    int screen = GetSystemMetrics(SM_CXSCREEN);
    TheAddedTip().Show(owner, {screen - 20, 100}, L"已添加该RSS订阅");
    RECT rect = TipRect();
    EXPECT_EQ(rect.right, screen - AddedTip::kEdgeMargin);
    EXPECT_EQ(rect.top, 100);

    // Shown again with more text: the same window, resized, still inside.
    HWND first = TheAddedTip().Window();
    TheAddedTip().Show(owner, {screen - 20, 100}, L"已添加该RSS订阅，再来一条更长的提示");
    EXPECT_EQ(TheAddedTip().Window(), first);
    EXPECT_GT(TipRect().right - TipRect().left, rect.right - rect.left);
    EXPECT_EQ(TipRect().right, screen - AddedTip::kEdgeMargin);

    // Far from the edge it stays where it was asked to be.
    TheAddedTip().Show(owner, {100, 100}, L"短");
    EXPECT_EQ(TipRect().left, 100);
    DestroyWindow(owner);
}

TEST_F(AddedTipTest, ItsTimerClosesItAndMouseMovementPostponesThat) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    TheAddedTip().Show(owner, {50, 50}, L"提示");
    HWND tip = TheAddedTip().Window();
    // Shown, its countdown runs; a movement over it starts the countdown
    // anew (a timer armed again replaces the running one).
    EXPECT_TRUE(KillTimer(tip, AddedTip::kLifeTimer));
    SendMessageW(tip, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(KillTimer(tip, AddedTip::kLifeTimer));
    EXPECT_TRUE(IsWindow(tip));
    // The countdown's end closes it.
    SetTimer(tip, AddedTip::kLifeTimer, 10, nullptr);
    for (DWORD start = GetTickCount(); IsWindow(tip) && GetTickCount() - start < kPatienceMs;)
        Pump(10);
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(TheAddedTip().Window(), nullptr);
    DestroyWindow(owner);
}

// The tip belongs to the thread that made it. Another browser window's thread
// that shows it again has it moved, re-texted and re-timed there; one that
// destroys it has it destroyed there.
TEST_F(AddedTipTest, OtherThreadsReachTheTipOnItsOwnThread) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    TheAddedTip().Show(owner, {50, 50}, L"第一");
    HWND tip = TheAddedTip().Window();
    ASSERT_TRUE(IsWindow(tip));
    // From here on it lives until something ends it.
    KillTimer(tip, 1);
    ASSERT_TRUE(OnAnotherThread([] { TheAddedTip().Show(nullptr, {120, 80}, L"第二条提示"); }));
    ASSERT_TRUE(PumpUntil([&] { return !lstrcmpW(TheAddedTip().Text(), L"第二条提示"); }));
    EXPECT_EQ(TheAddedTip().Window(), tip);
    EXPECT_EQ(TipRect().left, 120);
    EXPECT_EQ(TipRect().top, 80);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(tip); }));

    TheAddedTip().Show(owner, {50, 50}, L"第三");
    tip = TheAddedTip().Window();
    KillTimer(tip, 1);
    ASSERT_TRUE(OnAnotherThread([] { TheAddedTip().Destroy(); }));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(tip); }));
    EXPECT_EQ(TheAddedTip().Window(), nullptr);
    DestroyWindow(owner);
}
