#pragma once
// How tests and the demo steer the test build of the engine (the Feed.dll
// built from this folder, which they run beside rssband.dll; the shipped one
// has none of this) from their own process: a WM_COPYDATA to the "RSS_Feed"
// window whose dwData is kEngineScriptTag and whose data is a script, UTF-8
// lines of tab-separated fields (a first byte of 0 makes it a dropped link
// instead). The engine runs it before the send returns; what it sends the panes meanwhile is
// handled by the sender's thread while it waits. The result is the number of
// lines run, or -1 when the engine could not be reached.
//
//   send <code> <wParam> <lParam>        a message to every pane's relay window
//   node <id> <parent> folder|channel <text> [<page>]
//                                        a node in the engine's tree, shown to
//                                        the panes (insert, then a text batch)
//   text <id> <text> [<page>]            a one-record text batch
//   unread <id> 0|1                      the channel's unread state (no message)
//   fail <id>                            updates of the channel fail
//   generate <count> <batch records>     a tree of count nodes (folders of 50
//                                        channels), inserts and texts in batches
//   describe                             the whole tree to every pane
//   reset                                an empty tree, saved, nothing sent;
//                                        the engine's open dialogs cancelled
//   add <address> [<folder>]             subscribes a feed as the add dialog
//                                        does (the channel is then fetched)
//   export <file> [<node>]               the folder's subscriptions (default
//                                        all) as OPML 2.0, no file dialog
//   import <file> [<folder>]             an OPML file's subscriptions added
//   churn <count>                        renames node 1 back and forth and
//                                        saves after each rename, count times
//
// The test build keeps its subscriptions in the folder named by the
// environment variable FEED_ENGINE_DATA (read at start; default as shipped:
// "RssFeed" in the user's application-data folder), so tests point it at a
// throwaway folder, and appends every request it receives to the file named
// by FEED_ENGINE_LOG (RequestLog.h).
#include <windows.h>
#include <string>

const ULONG_PTR kEngineScriptTag = 0x54534546;

inline LRESULT SendEngineScript(const std::string& script, DWORD timeoutMs = 60000) {
    HWND engine = FindWindowA("RSS_Feed", nullptr);
    if (!engine) return -1;
    COPYDATASTRUCT data = {};
    data.dwData = kEngineScriptTag;
    data.cbData = static_cast<DWORD>(script.size());
    data.lpData = const_cast<char*>(script.data());
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(engine, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                             timeoutMs, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}
