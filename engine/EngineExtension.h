#pragma once
// What a build of the engine made for the tests adds to it: it sees every
// request, may take WM_COPYDATA of its own, and gives channels that have no
// feed address their pages. The shipped engine runs without one.
#include <windows.h>

class FeedEngine;
struct FeedNode;

class EngineExtension {
public:
    virtual ~EngineExtension() = default;

    // Each band request and WM_COPYDATA, before the engine handles it.
    virtual void Received(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // True when the data was the extension's; result is then the answer.
    virtual bool TakeCopyData(FeedEngine& engine, const COPYDATASTRUCT& data, LRESULT* result) = 0;
    // Updates a channel without a feed address; false when that failed.
    virtual bool UpdateWithoutFeed(const FeedEngine& engine, const FeedNode& channel) = 0;
};
