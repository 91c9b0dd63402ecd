#include "engine/ChannelPage.h"

namespace {

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(size - 1);
    return out;
}

// Text and attribute values: feed texts carry markup characters freely.
std::string Escape(const std::wstring& text) {
    std::string out;
    for (char ch : Utf8(text)) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::wstring Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[32];
    wsprintfW(text, L"%04u-%02u-%02u %02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute);
    return text;
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

}  // namespace

std::vector<ChannelItem> SampleItems(const std::wstring& channel, const std::wstring& page) {
    static const wchar_t* const kStories[][2] = {
        {L"今日要闻：新版本发布", L"新版本带来更快的启动速度与更清晰的界面。"},
        {L"深度报道 <第二期> & 回顾", L"记者走访了三座城市，记录下 \"变化中的日常\"。"},
        {L"读者来信精选", L"本周我们收到了许多来信，这里挑选了其中的几封。"},
    };
    std::vector<ChannelItem> items;
    std::wstring date = Today();
    int number = 1;
    for (const auto& story : kStories) {
        ChannelItem item;
        item.title = channel + L"：" + story[0];
        item.link = L"http://feeds.example/" + page + L"/" + std::to_wstring(number++) + L".html";
        item.date = date;
        item.description = story[1];
        items.push_back(item);
    }
    return items;
}

std::string ChannelPageText(const std::wstring& channel, const std::vector<ChannelItem>& items) {
    std::string page =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"/>\n"
        "<title>" +
        Escape(channel) +
        "</title>\n"
        "<link rel=\"stylesheet\" type=\"text/css\" href=\"rss.css\"/>\n</head>\n<body>\n"
        "<div id=\"channel\"><div id=\"name\">" +
        Escape(channel) +
        "</div>"
        "<div id=\"info\">" +
        std::to_string(items.size()) + " 条</div></div>\n";
    for (const ChannelItem& item : items) {
        page += "<div id=\"item\"><div id=\"title\"><a href=\"" + Escape(item.link) + "\">" +
                Escape(item.title) + "</a></div><div id=\"date\">" + Escape(item.date) +
                "</div><div id=\"description\">" + Escape(item.description) + "</div></div>\n";
    }
    return page + "</body>\n</html>\n";
}

bool WriteChannelPage(const std::wstring& page, const std::wstring& channel,
                      const std::vector<ChannelItem>& items) {
    wchar_t folder[MAX_PATH] = L"";
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || page.empty()) return false;
    std::string text = ChannelPageText(channel, items);
    std::wstring base = std::wstring(folder) + page;
    return WriteFileText(base + L".html", text) && WriteFileText(base, text);
}
