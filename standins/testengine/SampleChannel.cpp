#include "testengine/SampleChannel.h"

#include <vector>

#include "engine/ChannelDate.h"
#include "engine/ChannelPage.h"
#include "engine/HtmlSanitizer.h"

bool WriteSampleChannel(const std::wstring& page, const std::wstring& channel) {
    static const wchar_t* const kStories[][2] = {
        {L"今日要闻：新版本发布", L"新版本带来更快的启动速度与更清晰的界面。"},
        {L"深度报道 <第二期> & 回顾", L"记者走访了三座城市，记录下 \"变化中的日常\"。"},
        {L"读者来信精选", L"本周我们收到了许多来信，这里挑选了其中的几封。"},
    };
    ChannelState state;
    state.title = channel;
    ULONGLONG now = CurrentStamp();
    int number = 1;
    for (const auto& story : kStories) {
        ChannelItem item;
        item.title = channel + L"：" + story[0];
        item.link = L"http://feeds.example/" + page + L"/" + std::to_wstring(number++) + L".html";
        item.stamp = now;
        item.description = EscapeMarkup(story[1]);
        state.items.push_back(item);
    }
    return WriteChannelPages(page, state);
}
