#pragma once
// How tests and the demo steer the stand-in engine from their own process:
// a WM_COPYDATA to the "RSS_Feed" window whose dwData is kEngineScriptTag and
// whose data is a script, UTF-8 lines of tab-separated fields. The engine
// runs it before the send returns; what it sends the panes meanwhile is
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
//   reset                                an empty tree, nothing sent
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
