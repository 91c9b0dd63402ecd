#include "engine/BatchWriter.h"

#include "server/EngineProtocol.h"

void BatchWriter::Dword(DWORD value) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
    bytes_.insert(bytes_.end(), bytes, bytes + sizeof value);
}

void BatchWriter::String(const std::wstring& text) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    bytes_.insert(bytes_.end(), bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

void BatchWriter::Message(UINT message, DWORD wParam, LONG lParam) {
    Dword(message);
    Dword(wParam);
    Dword(static_cast<DWORD>(lParam));
    ++records_;
}

void BatchWriter::Text(DWORD node, const std::wstring& text, const std::wstring& page) {
    Dword(WM_RSS_ITEM_TEXT);
    Dword(node);
    String(text);
    String(page);
    ++records_;
}

std::vector<BYTE> BatchWriter::Take() {
    Dword(0);
    std::vector<BYTE> batch;
    batch.swap(bytes_);
    records_ = 0;
    return batch;
}
