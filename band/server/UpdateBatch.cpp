#include "server/UpdateBatch.h"

#include <cstring>

#include "server/EngineProtocol.h"

namespace {

DWORD ReadDword(const BYTE* at) {
    DWORD value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// Bytes of the NUL-terminated UTF-16 string at `at`, its NUL included, or 0
// when no NUL lies within `available` bytes.
size_t WideStringBytes(const BYTE* at, size_t available) {
    for (size_t offset = 0; offset + 2 <= available; offset += 2) {
        if (at[offset] == 0 && at[offset + 1] == 0) return offset + 2;
    }
    return 0;
}

}  // namespace

int WalkUpdateBatch(const BYTE* batch, size_t size, const BatchRecordHandler& handler) {
    int handed = 0;
    size_t offset = 0;
    while (batch && size - offset >= 4) {
        const BYTE* record = batch + offset;
        size_t left = size - offset;
        UINT message = ReadDword(record);
        if (message == 0 || left < 8) break;
        WPARAM wParam = ReadDword(record + 4);
        LPARAM lParam;
        size_t length;
        if (message == WM_RSS_ITEM_TEXT) {
            size_t text = WideStringBytes(record + 8, left - 8);
            size_t page = text ? WideStringBytes(record + 8 + text, left - 8 - text) : 0;
            if (!page) break;
            lParam = reinterpret_cast<LPARAM>(record + 8);
            length = 8 + text + page;
        } else {
            if (left < 12) break;
            // Progress values are signed.
            lParam = static_cast<LONG>(ReadDword(record + 8));
            length = 12;
        }
        handler(message, wParam, lParam);
        ++handed;
        offset += length;
    }
    return handed;
}

std::vector<BYTE> DroppedTextRecord(const char* text) {
    size_t length = text ? std::strlen(text) : 0;
    std::vector<BYTE> record(length + 2, 0);
    if (length) std::memcpy(record.data() + 1, text, length);
    return record;
}
