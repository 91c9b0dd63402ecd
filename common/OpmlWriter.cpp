#include "common/OpmlWriter.h"

#include <windows.h>

#include "common/XmlText.h"

namespace {

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
        XmlEscape(title) + "</title>\n  <dateCreated>" + Rfc822Now() +
        "</dateCreated>\n</head>\n<body>\n";
}

void OpmlWriter::Indent() {
    out_.append(2 * depth_ + 2, ' ');
}

void OpmlWriter::OpenFolder(const std::wstring& title) {
    Indent();
    std::string text = XmlEscape(title);
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
    std::string text = XmlEscape(title);
    out_ += "<outline type=\"rss\" text=\"" + text + "\" title=\"" + text + "\" xmlUrl=\"" +
            XmlEscape(xmlUrl) + "\"";
    if (!htmlUrl.empty()) out_ += " htmlUrl=\"" + XmlEscape(htmlUrl) + "\"";
    out_ += "/>\n";
}

std::string OpmlWriter::Finish() {
    while (depth_ > 0) CloseFolder();
    return out_ + "</body>\n</opml>\n";
}
