#pragma once
// What the test build adds to the engine: the script channel of
// EngineControl.h, the request log, and sample pages for the channels that
// scripts make without a feed.
#include <set>

#include "engine/EngineExtension.h"
#include "testengine/RequestLog.h"

class ScriptedEngine : public EngineExtension {
public:
    void Received(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool TakeCopyData(FeedEngine& engine, const COPYDATASTRUCT& data, LRESULT* result) override;
    bool UpdateWithoutFeed(const FeedEngine& engine, const FeedNode& channel) override;

    // Updates of the node fail from now on.
    void MakeFail(DWORD node) { failing_.insert(node); }

private:
    RequestLog log_;
    std::set<DWORD> failing_;
};
