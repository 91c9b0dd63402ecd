#pragma once
// The two WM_COPYDATA records between band and engine: the engine's update
// batch (many tree messages at once) and the band's dropped-text record.
#include <windows.h>
#include <cstddef>
#include <functional>
#include <vector>

// One message of a batch. For WM_RSS_ITEM_TEXT, lParam points at the display
// text inside the batch, followed by the page name; both are NUL-terminated
// UTF-16 and may lie at odd addresses.
using BatchRecordHandler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

// Hands the records of a batch to handler in order. The batch comes from
// another process: the walk ends at a 0 code and at any record that would
// run past size, and never reads beyond it. Returns the records handed on.
int WalkUpdateBatch(const BYTE* batch, size_t size, const BatchRecordHandler& handler);

// 0x00, the ANSI text as dropped, 0x00.
std::vector<BYTE> DroppedTextRecord(const char* text);
