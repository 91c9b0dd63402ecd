#include "feeds/FeedCacheWriter.h"

#include <windows.h>

#include <cwchar>

#include "feeds/StoreFile.h"

namespace {
void AppendLine(std::wstring& text, const wchar_t* key, const std::wstring& value) {
    text += key;
    text += L'=';
    text += CleanIniValue(value);
    text += L"\r\n";
}

void AppendSectionHeader(std::wstring& text, const wchar_t* prefix, size_t number) {
    wchar_t header[32];
    swprintf(header, 32, L"[%ls%u]\r\n", prefix, static_cast<unsigned>(number));
    text += header;
}
}  // namespace

std::wstring FormatFeedCache(const FeedCache& cache) {
    std::wstring text;
    text.reserve(64 + cache.items.size() * 96);
    text += L"[main]\r\n";
    if (cache.hasLink) AppendLine(text, L"link", cache.link);
    AppendLine(text, L"title", cache.title);
    AppendLine(text, L"count", std::to_wstring(cache.items.size()));
    for (size_t k = 0; k < cache.items.size(); ++k) {
        AppendSectionHeader(text, L"item", k + 1);
        AppendLine(text, L"title", cache.items[k].title);
        AppendLine(text, L"link", cache.items[k].link);
    }
    return text;
}

int WriteFeedCache(HANDLE file, const FeedCache& cache) {
    std::wstring text = L"\xFEFF" + FormatFeedCache(cache);
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), bytes, &written, nullptr);
    return ok && written == bytes ? 1 : 0;
}

int WriteFeedCacheFile(const wchar_t* path, const FeedCache& cache) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    int result = WriteFeedCache(file, cache);
    CloseHandle(file);
    return result;
}
