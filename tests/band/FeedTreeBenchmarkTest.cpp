// How the tree pane keeps up with an engine that describes a large tree:
// folders of 50 channels, inserts and texts with page names in batches,
// sent by the stand-in engine from its own process. Prints the times.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "PaneScene.h"

namespace {

class FeedTreeBenchmarkTest : public EngineSuite {};

// Milliseconds until a new pane holds `count` nodes with their texts, best
// of three runs.
double FillTime(UINT count) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        PaneScene scene;
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        EXPECT_EQ(1, SendEngineScript("generate\t" + std::to_string(count) + "\t500"));
        for (int wait = 0; TreeView_GetCount(scene.Tree()) < count && wait < 1000; ++wait) {
            PumpMessages(1);
        }
        QueryPerformanceCounter(&end);
        double ms = (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
        if (ms < best) best = ms;
        EXPECT_EQ(count, TreeView_GetCount(scene.Tree()));
        // The last node of the last batch has its text.
        EXPECT_EQ(L"频道 " + std::to_wstring(count), scene.Text(scene.Item(count)));
    }
    return best;
}

TEST_F(FeedTreeBenchmarkTest, TreeGrowsLinearlyWithTheEnginesNodes) {
    double small = FillTime(1000);
    double large = FillTime(10000);
    std::printf("tree of 1000 nodes: %.1f ms; 10000 nodes: %.1f ms; ratio %.2f\n", small, large,
                large / small);
    EXPECT_LE(large / small, 12.0);
}

}  // namespace
