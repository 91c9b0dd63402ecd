#pragma once
// Builds the update batches the engine sends a tree pane with WM_COPYDATA:
// records of three 32-bit values, or for the item text the code, the node
// and two NUL-terminated UTF-16 strings; a 0 code ends the batch.
#include <windows.h>
#include <string>
#include <vector>

class BatchWriter {
public:
    void Message(UINT message, DWORD wParam, LONG lParam);
    void Text(DWORD node, const std::wstring& text, const std::wstring& page);
    bool Empty() const { return bytes_.empty(); }
    size_t Records() const { return records_; }

    // The batch with its terminator; the writer starts over.
    std::vector<BYTE> Take();

private:
    void Dword(DWORD value);
    void String(const std::wstring& text);

    std::vector<BYTE> bytes_;
    size_t records_ = 0;
};
