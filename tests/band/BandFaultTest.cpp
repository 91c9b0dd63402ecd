// The browser closes the band while the engine is in the middle of streaming
// update batches to its tree pane from another process: the pane goes at
// once, the engine's sends are released and it notices the window is gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "PaneScene.h"
#include "common/KernelHandle.h"
#include "server/EngineProtocol.h"
#include "support/ChildProcess.h"

namespace {

std::string Batch(DWORD first, int nodes) {
    std::string batch;
    auto dword = [&batch](DWORD value) {
        batch.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    for (int i = 0; i < nodes; ++i) {
        DWORD node = first + i;
        dword(WM_RSS_CHANNEL);
        dword(node);
        dword(0);
        dword(WM_RSS_ITEM_TEXT);
        dword(node);
        std::wstring text = L"频道 " + std::to_wstring(node);
        std::wstring page = L"page_" + std::to_wstring(node);
        batch.append(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
        batch.append(reinterpret_cast<const char*>(page.c_str()), (page.size() + 1) * 2);
        dword(WM_RSS_UPDATE);
        dword(node);
        dword(5);
    }
    dword(0);
    return batch;
}

// Set by the band's thread each time it is back in its own loop. The engine
// sends its next batch only then: one that sent again at once would keep a
// band that is slow at batches in them, its next one always waiting.
std::wstring TurnEventName(const std::wstring& agent) {
    return L"FeedBandFaultTurn" + agent;
}

// Waits for the band's turn; false once the window has gone instead.
bool BandHadItsTurn(HANDLE turn, HWND agent) {
    while (WaitForSingleObject(turn, 20) == WAIT_TIMEOUT)
        if (!IsWindow(agent)) return false;
    return true;
}

// Child: streams batches to the relay window until it disappears. Exit code
// 0 when it saw the window go and every send came back; 1 when a send was
// left unanswered until it timed out; 2 when the window outlived the stream.
int StreamBatches(const std::wstring& argument) {
    HWND agent =
        reinterpret_cast<HWND>(static_cast<ULONG_PTR>(_wcstoui64(argument.c_str(), nullptr, 10)));
    KernelHandle turn(OpenEventW(SYNCHRONIZE, FALSE, TurnEventName(argument).c_str()));
    if (!turn) return 3;
    int held = 0;
    // Far more batches than the band takes before the test closes it.
    for (DWORD node = 1; node < 60000; node += 20) {
        if (!IsWindow(agent)) return held ? 1 : 0;
        std::string batch = Batch(node, 20);
        COPYDATASTRUCT data = {0, static_cast<DWORD>(batch.size()), &batch[0]};
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                 SMTO_NORMAL, kPatienceMs, &result) &&
            GetLastError() == ERROR_TIMEOUT) {
            ++held;
        }
        ReportChildProgress();
        if (!BandHadItsTurn(turn.Get(), agent)) return held ? 1 : 0;
    }
    return 2;
}
CHILD_ROLE(L"stream-batches", StreamBatches);

class BandFaultTest : public EngineSuite {};

TEST_F(BandFaultTest, ClosingTheBandWhileTheEngineStreamsBatchesReleasesTheEngine) {
    auto scene = std::make_unique<PaneScene>();
    HWND pane = scene->PaneWindow();
    HWND agent = scene->Pane().AgentWindow();
    const std::wstring agentText = std::to_wstring(reinterpret_cast<ULONG_PTR>(agent));
    KernelHandle turn(CreateEventW(nullptr, FALSE, FALSE, TurnEventName(agentText).c_str()));
    ASSERT_TRUE(turn);
    std::atomic<bool> done{false};
    int result = -1;
    std::thread engine([&] {
        result = RunChildRole(L"stream-batches", agentText, L"", 3 * kPatienceMs);
        done = true;
    });
    // Let the stream fill the tree a while, one message at a time: a busy
    // pane never runs out of messages.
    for (DWORD start = GetTickCount();
         TreeView_GetCount(scene->Tree()) < 100 && GetTickCount() - start < kPatienceMs;) {
        SetEvent(turn.Get());
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    EXPECT_GE(TreeView_GetCount(scene->Tree()), 100u);

    // A band that waited for the stream to end would outlast the child's
    // streaming, which then reports 2 instead of the window's end.
    DWORD start = GetTickCount();
    scene.reset();
    DWORD closing = GetTickCount() - start;
    EXPECT_FALSE(IsWindow(pane));
    EXPECT_FALSE(IsWindow(agent));
    DWORD released = GetTickCount();
    PumpUntil([&] { return done.load(); }, 3 * kPatienceMs);
    DWORD engineEnded = GetTickCount() - released;
    engine.join();

    EXPECT_EQ(result, 0);
    printf("band closed in %lu ms; the engine went on %lu ms\n",
           static_cast<unsigned long>(closing), static_cast<unsigned long>(engineEnded));
}

}  // namespace
