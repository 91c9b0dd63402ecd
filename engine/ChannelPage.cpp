#include "engine/ChannelPage.h"

#include "engine/ChannelDate.h"
#include "engine/ChannelFiles.h"
#include "engine/HtmlSanitizer.h"

namespace {

// No document type: the harvest's XML parser would go and fetch its DTD.
// The style comes before "rss.css", so that every sheet can restyle the
// unread mark.
const char kPageHead[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
    "<style type=\"text/css\">\n"
    ".mark { float: right; margin-left: 8px;\n"
    "        color: #d2691e; font-size: 12px; font-weight: bold; }\n"
    "</style>\n"
    "<link rel=\"stylesheet\" type=\"text/css\" href=\"rss.css\" />\n";

std::string Text(const std::wstring& text) {
    return ToUtf8(EscapeMarkup(text));
}

std::wstring ItemDate(const ChannelItem& item) {
    return item.stamp ? FormatFeedDate(item.stamp) : item.date;
}

std::wstring ChannelTitle(const ChannelState& state) {
    if (!state.title.empty()) return state.title;
    return !state.address.empty() ? state.address : L"\x65E0\x6807\x9898";  // 无标题
}

// The item's title, linked when its link is one a page may carry.
std::string TitleDiv(const ChannelItem& item, const std::wstring& base) {
    std::string div = "<div id=\"title\">";
    std::wstring link = SafeLink(item.link, base);
    std::wstring title = item.title.empty() ? item.link : item.title;
    if (link.empty()) return div + Text(title) + "</div>";
    return div + "<a href=\"" + Text(link) + "\">" + Text(title) + "</a></div>";
}

std::string InfoLine(const ChannelState& state) {
    size_t unread = 0;
    for (const ChannelItem& item : state.items) unread += item.read ? 0 : 1;
    std::wstring info = L"\x5171 " + std::to_wstring(state.items.size()) + L" \x6761";  // 共 n 条
    if (unread) info += L"\xFF0C" + std::to_wstring(unread) + L" \x6761\x672A\x8BFB";  // ，n 条未读
    if (state.updated) info += L"\xFF0C\x66F4\x65B0\x4E8E " + FormatFeedDate(state.updated);
    return Text(info);
}

std::string ChannelHeading(const ChannelState& state) {
    std::string name = Text(ChannelTitle(state));
    std::wstring link = SafeLink(state.link, state.base);
    if (!link.empty()) name = "<a href=\"" + Text(link) + "\">" + name + "</a>";
    return "<div id=\"channel\"><div id=\"name\">" + name + "</div><div id=\"info\">" +
           InfoLine(state) + "</div></div>\n";
}

std::string ItemDiv(const ChannelItem& item, const std::wstring& base) {
    std::string div = item.read ? "<div id=\"item\">" : "<div id=\"item\" class=\"unread\">";
    // Beside the title, not in it: the title stays the feed's text.
    if (!item.read) div += "<span class=\"mark\">" + ToUtf8(L"\x65B0") + "</span>";  // 新
    div += TitleDiv(item, base);
    std::wstring date = ItemDate(item);
    if (!date.empty()) div += "<div id=\"date\">" + Text(date) + "</div>";
    std::wstring description = SanitizeHtml(item.description, base);
    if (!description.empty()) div += "<div id=\"description\">" + ToUtf8(description) + "</div>";
    return div + "</div>\n";
}

}  // namespace

std::string ChannelPageHtml(const ChannelState& state) {
    std::string page = kPageHead;
    page += "<title>" + Text(ChannelTitle(state)) + "</title>\n</head>\n<body>\n";
    page += ChannelHeading(state);
    for (const ChannelItem& item : state.items) page += ItemDiv(item, state.base);
    return page + "</body>\n</html>\n";
}

bool WriteChannelPages(const std::wstring& page, const ChannelState& state) {
    std::wstring folder = TempFolder();
    if (folder.empty() || page.empty()) return false;
    std::wstring base = folder + page;
    std::string text = ChannelPageHtml(state);
    return WriteFileReplacing(base + L".html", text) && WriteFileReplacing(base, text);
}
