#include "testengine/EngineScript.h"

#include <cstdlib>
#include <vector>

#include "engine/ChannelFiles.h"
#include "engine/EngineText.h"
#include "engine/FeedEngine.h"
#include "testengine/ScriptedEngine.h"

namespace {

const size_t kChannelsPerFolder = 50;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

long Number(const std::vector<std::string>& fields, size_t index) {
    return index < fields.size() ? std::strtol(fields[index].c_str(), nullptr, 0) : 0;
}

std::wstring Field(const std::vector<std::string>& fields, size_t index) {
    return index < fields.size() ? FromUtf8(fields[index].c_str()) : std::wstring();
}

// Saves count times, node 1 alternating between two names: a test kills
// the engine somewhere in between and checks what the file holds.
void Churn(FeedEngine& engine, long count) {
    std::wstring base = engine.Model().Find(1)->text;
    while (!base.empty() && base.back() == L'*') base.pop_back();
    for (long i = 0; i < count; ++i) {
        engine.Model().Find(1)->text = base + (i % 2 ? L"" : L"*");
        engine.Save();
    }
    engine.Model().Find(1)->text = base;
}

// count nodes: folders of 50 channels each, named for a benchmark.
void Generate(FeedTreeModel& model, size_t count) {
    model.Clear();
    DWORD folder = 0;
    for (DWORD id = 1; id <= count; ++id) {
        FeedNode node;
        node.id = id;
        if ((id - 1) % (kChannelsPerFolder + 1) == 0) {
            node.folder = true;
            node.text = L"目录 " + std::to_wstring(id);
            folder = id;
        } else {
            node.parent = folder;
            node.text = L"频道 " + std::to_wstring(id);
            node.page = L"bench_" + std::to_wstring(id);
        }
        model.Add(node);
    }
}

bool RunLine(FeedEngine& engine, ScriptedEngine& scripted, const std::vector<std::string>& f) {
    const std::string& verb = f[0];
    DWORD id = static_cast<DWORD>(Number(f, 1));
    if (verb == "send" && f.size() >= 4) {
        engine.SendToPanes(static_cast<UINT>(Number(f, 1)), static_cast<WPARAM>(Number(f, 2)),
                           static_cast<LPARAM>(Number(f, 3)));
    } else if (verb == "node" && f.size() >= 5) {
        FeedNode node;
        node.id = id;
        node.parent = static_cast<DWORD>(Number(f, 2));
        node.folder = f[3] == "folder";
        node.text = Field(f, 4);
        node.page = Field(f, 5);
        engine.Model().Add(node);
        engine.Announce(id);
    } else if (verb == "text" && f.size() >= 3) {
        BatchWriter batch;
        batch.Text(id, Field(f, 2), Field(f, 3));
        engine.SendBatchToPanes(batch);
    } else if (verb == "unread" && engine.Model().Find(id)) {
        engine.Model().Find(id)->unread = Number(f, 2) != 0;
    } else if (verb == "fail" && engine.Model().Find(id)) {
        scripted.MakeFail(id);
    } else if (verb == "generate" && f.size() >= 3) {
        Generate(engine.Model(), static_cast<size_t>(Number(f, 1)));
        engine.DescribeInBatches(static_cast<size_t>(Number(f, 2)));
    } else if (verb == "describe") {
        engine.DescribeAll(nullptr);
    } else if (verb == "reset") {
        engine.Reset();
    } else if (verb == "add" && f.size() >= 2) {
        engine.AddChannel(static_cast<DWORD>(Number(f, 2)), Field(f, 1));
    } else if (verb == "export" && f.size() >= 2) {
        return engine.ExportTo(Field(f, 1), static_cast<DWORD>(Number(f, 2)));
    } else if (verb == "import" && f.size() >= 2) {
        return engine.ImportFrom(Field(f, 1), static_cast<DWORD>(Number(f, 2)));
    } else if (verb == "churn" && engine.Model().Find(1)) {
        Churn(engine, Number(f, 1));
    } else {
        return false;
    }
    return true;
}

}  // namespace

int RunEngineScript(FeedEngine& engine, ScriptedEngine& scripted, const std::string& script) {
    int run = 0;
    for (std::string line : Split(script, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (RunLine(engine, scripted, Split(line, '\t'))) ++run;
    }
    return run;
}
