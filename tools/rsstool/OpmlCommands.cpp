// rsstool import-opml FILE and rsstool export-opml FILE: the button's own
// import and export, on the store in the current data folder.
#include <windows.h>

#include "Command.h"
#include "ToolOutput.h"
#include "core/ToolbarEnvironment.h"
#include "feeds/SubscriptionExport.h"
#include "feeds/SubscriptionImport.h"
#include "feeds/SubscriptionStore.h"

namespace {
struct StorePaths {
    wchar_t rssIni[MAX_PATH] = L"";
    wchar_t historyIni[MAX_PATH] = L"";
};

// The store files, made as the button makes them when they are missing.
StorePaths OpenStore() {
    StorePaths paths;
    RssDataPath(paths.rssIni, L"rss.ini");
    RssDataPath(paths.historyIni, L"history.ini");
    EnsureStoreFiles(paths.rssIni, paths.historyIni);
    return paths;
}

const char* RefusalReason(OpmlVerdict verdict) {
    switch (verdict) {
        case OpmlVerdict::kUnreadable:
            return "the file cannot be read";
        case OpmlVerdict::kTooLarge:
            return "the document is larger than 32 MiB";
        case OpmlVerdict::kTooDeep:
            return "the document is nested deeper than 256 levels";
        case OpmlVerdict::kEntities:
            return "the document declares or refers to entities";
        case OpmlVerdict::kNotOpml:
            return "the document is not OPML";
        default:
            return "the document is not well-formed XML";
    }
}

int RunImport(const CommandArgs& args) {
    if (args.size() != 1) {
        WriteError("usage: rsstool import-opml FILE\n");
        return 2;
    }
    StorePaths store = OpenStore();
    ImportSummary summary = ImportOpmlFile(store.rssIni, store.historyIni, args[0].c_str());
    if (summary.verdict != OpmlVerdict::kRead) {
        WriteError("rsstool: %s\n", RefusalReason(summary.verdict));
        return 1;
    }
    if (!summary.stored) {
        WriteError("rsstool: the subscription list cannot be written\n");
        return 1;
    }
    WriteUtf8(L"imported " + std::to_wstring(summary.added) + L", skipped " +
              std::to_wstring(summary.skipped) + L"\n");
    return 0;
}

int RunExport(const CommandArgs& args) {
    if (args.size() != 1) {
        WriteError("usage: rsstool export-opml FILE\n");
        return 2;
    }
    StorePaths store = OpenStore();
    int exported = ExportOpmlFile(store.rssIni, args[0].c_str());
    if (exported < 0) {
        WriteError("rsstool: the file cannot be written\n");
        return 1;
    }
    WriteUtf8(L"exported " + std::to_wstring(exported) + L"\n");
    return 0;
}

CommandRegistration importCommand(
    {L"import-opml",
     "import-opml FILE: add the feeds of an OPML list to the store, skipping those it has",
     RunImport});
CommandRegistration exportCommand(
    {L"export-opml", "export-opml FILE: write the store's subscriptions as an OPML 2.0 list",
     RunExport});
}  // namespace
