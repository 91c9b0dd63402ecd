// rsstool parse FILE [N] and rsstool fetch URL [N]: the real fetch and parse
// into the cache of N (default 0), which is then printed as UTF-8.
#include <windows.h>

#include "Command.h"
#include "ToolOutput.h"
#include "feeds/FeedCache.h"
#include "feeds/FeedFetcher.h"
#include "feeds/FeedParser.h"

namespace {
// A scratch file in the temporary folder, removed when done.
class TempFile {
public:
    TempFile() {
        wchar_t folder[MAX_PATH];
        wchar_t name[MAX_PATH];
        if (GetTempPathW(MAX_PATH, folder) && GetTempFileNameW(folder, L"_t", 0, name))
            path_ = name;
    }
    ~TempFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    bool Valid() const { return !path_.empty(); }
    const wchar_t* Path() const { return path_.c_str(); }

private:
    std::wstring path_;
};

// Parses the file into cache n and prints the cache; 0 when the parse succeeded.
int ParseAndPrint(const wchar_t* file, int number) {
    if (!ParseFeedFile(file, number)) {
        WriteError("rsstool: the document is neither RSS nor Atom\n");
        return 1;
    }
    std::wstring text;
    if (!ReadTextFile(FeedCachePath(number), text)) {
        WriteError("rsstool: the cache cannot be read\n");
        return 1;
    }
    WriteUtf8(text);
    return 0;
}

int RunParse(const CommandArgs& args) {
    int number = 0;
    if (args.empty() || !NumberArgument(args, 1, 0, &number)) {
        WriteError("usage: rsstool parse FILE [N]\n");
        return 2;
    }
    // The parse may rewrite its input (encoding conversion): work on a copy.
    TempFile copy;
    if (!copy.Valid() || !CopyFileW(args[0].c_str(), copy.Path(), FALSE)) {
        WriteError("rsstool: cannot read the file\n");
        return 1;
    }
    return ParseAndPrint(copy.Path(), number);
}

int RunFetch(const CommandArgs& args) {
    int number = 0;
    if (args.empty() || !NumberArgument(args, 1, 0, &number)) {
        WriteError("usage: rsstool fetch URL [N]\n");
        return 2;
    }
    TempFile download;
    if (!download.Valid() || !FetchFeed(args[0].c_str(), download.Path())) {
        WriteError("rsstool: download failed\n");
        return 1;
    }
    return ParseAndPrint(download.Path(), number);
}

CommandRegistration parseCommand(
    {L"parse", "parse FILE [N]: parse FILE into the cache of N (default 0) and print it",
     RunParse});
CommandRegistration fetchCommand(
    {L"fetch", "fetch URL [N]: download URL, parse it into the cache of N and print it", RunFetch});
}  // namespace
