#include "testengine/ScriptedEngine.h"

#include <string>

#include "engine/FeedEngine.h"
#include "server/EngineProtocol.h"
#include "testengine/EngineControl.h"
#include "testengine/EngineScript.h"
#include "testengine/SampleChannel.h"

namespace {

// A dropped link starts with a 0 byte whatever its node id, which travels
// in the same field as the script's tag.
bool IsScript(const COPYDATASTRUCT& data) {
    return data.dwData == kEngineScriptTag && data.lpData && data.cbData > 0 &&
           *static_cast<const char*>(data.lpData) != 0;
}

}  // namespace

void ScriptedEngine::Received(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) {
        log_.Message(message, wParam, lParam);
        return;
    }
    auto data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!IsScript(*data)) log_.CopyData(wParam, *data);
}

bool ScriptedEngine::TakeCopyData(FeedEngine& engine, const COPYDATASTRUCT& data, LRESULT* result) {
    if (!IsScript(data)) return false;
    *result = RunEngineScript(engine, *this,
                              std::string(static_cast<const char*>(data.lpData), data.cbData));
    engine.Save();
    return true;
}

bool ScriptedEngine::UpdateWithoutFeed(const FeedEngine& engine, const FeedNode& channel) {
    for (LPARAM progress : {0, 3, 6, 10}) engine.SendToPanes(WM_RSS_UPDATE, channel.id, progress);
    return !failing_.count(channel.id) && WriteSampleChannel(channel.page, channel.text);
}
