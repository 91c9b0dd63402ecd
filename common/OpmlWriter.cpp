#include "common/OpmlWriter.h"

#include <windows.h>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                            nullptr, nullptr);
    return out;
}

// Text for a quoted attribute value. Control characters XML cannot carry
// are dropped; line ends and tabs are kept as references, which a reader
// does not fold into spaces.
std::string Attribute(const std::wstring& text) {
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
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                if (static_cast<unsigned char>(ch) >= 0x20) out += ch;
                break;
        }
    }
    return out;
}

std::string Rfc822Now() {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[64];
    wsprintfA(text, "%s, %02u %s %04u %02u:%02u:%02u GMT", days[now.wDayOfWeek % 7], now.wDay,
              months[(now.wMonth + 11) % 12], now.wYear, now.wHour, now.wMinute, now.wSecond);
    return text;
}

}  // namespace

OpmlWriter::OpmlWriter(const std::wstring& title) {
    out_ =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n<head>\n"
        "  <title>" +
        Attribute(title) + "</title>\n  <dateCreated>" + Rfc822Now() +
        "</dateCreated>\n</head>\n<body>\n";
}

void OpmlWriter::Indent() {
    out_.append(2 * depth_ + 2, ' ');
}

void OpmlWriter::OpenFolder(const std::wstring& title) {
    Indent();
    std::string text = Attribute(title);
    out_ += "<outline text=\"" + text + "\" title=\"" + text + "\">\n";
    ++depth_;
}

void OpmlWriter::CloseFolder() {
    if (depth_ == 0) return;
    --depth_;
    Indent();
    out_ += "</outline>\n";
}

void OpmlWriter::AddFeed(const std::wstring& title, const std::wstring& xmlUrl,
                         const std::wstring& htmlUrl) {
    Indent();
    std::string text = Attribute(title);
    out_ += "<outline type=\"rss\" text=\"" + text + "\" title=\"" + text + "\" xmlUrl=\"" +
            Attribute(xmlUrl) + "\"";
    if (!htmlUrl.empty()) out_ += " htmlUrl=\"" + Attribute(htmlUrl) + "\"";
    out_ += "/>\n";
}

std::string OpmlWriter::Finish() {
    while (depth_ > 0) CloseFolder();
    return out_ + "</body>\n</opml>\n";
}
