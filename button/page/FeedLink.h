#pragma once
#include <windows.h>

#include <vector>

// One feed a page advertises through a link element.  Fixed buffers: the
// title is cut to 29 characters, the resolved address to 259; the url buffer
// is larger than needed because the add-several dialog's records share it.
struct FeedLink {
    static constexpr size_t kTitleChars = 30;
    static constexpr size_t kUrlChars = 1040;
    static constexpr size_t kMaxTitle = 29;
    static constexpr size_t kMaxUrl = 259;

    wchar_t title[kTitleChars];
    wchar_t url[kUrlChars];

    FeedLink() { Clear(); }
    void Clear() { ZeroMemory(this, sizeof(*this)); }
    // Copies at most kMaxTitle characters; null gives an empty title.
    void SetTitle(const wchar_t* text) { CopyCut(title, text, kMaxTitle); }
    // Copies at most kMaxUrl characters; null gives an empty address.
    void SetUrl(const wchar_t* text) { CopyCut(url, text, kMaxUrl); }

private:
    static void CopyCut(wchar_t* dest, const wchar_t* text, size_t max) {
        size_t n = 0;
        if (text)
            while (n < max && text[n]) {
                dest[n] = text[n];
                ++n;
            }
        dest[n] = L'\0';
    }
};

// The feeds of one page in document order; rebuilt on every button press.
using FeedLinkList = std::vector<FeedLink>;
