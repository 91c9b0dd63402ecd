#include "feeds/FeedDocument.h"

#include <cstring>

#include "feeds/FeedEncoding.h"

namespace {
void NormalizeLineEnds(std::string& text) {
    if (text.find('\r') == std::string::npos) return;
    std::string normalized;
    normalized.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            normalized += text[i];
        } else {
            normalized += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    text.swap(normalized);
}

bool At(const std::string& text, size_t pos, const char* literal) {
    return text.compare(pos, std::strlen(literal), literal) == 0;
}

// Position after a space-only run that closes with "</title>" right after the
// start tag that ends at contentStart, or npos.
size_t BlankTitleEnd(const std::string& text, size_t contentStart) {
    size_t end = text.find_first_not_of(' ', contentStart);
    if (end == contentStart || end == std::string::npos || !At(text, end, "</title>"))
        return std::string::npos;
    return end;
}

bool IsTitleStartTag(const std::string& text, size_t pos) {
    if (!At(text, pos, "<title")) return false;
    char next = pos + 6 < text.size() ? text[pos + 6] : '\0';
    return next == '>' || next == ' ' || next == '\t' || next == '\n';
}

void KeepBlankTitles(std::string& text) {
    std::string result;
    size_t copied = 0;
    size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        // Markup inside CDATA sections and comments is text, not elements.
        if (At(text, pos, "<![CDATA[") || At(text, pos, "<!--")) {
            size_t close = text.find(text[pos + 2] == '[' ? "]]>" : "-->", pos);
            if (close == std::string::npos) break;
            pos = close + 3;
            continue;
        }
        if (!IsTitleStartTag(text, pos)) {
            ++pos;
            continue;
        }
        size_t tagEnd = text.find('>', pos);
        if (tagEnd == std::string::npos) break;
        size_t contentStart = tagEnd + 1;
        size_t contentEnd =
            text[tagEnd - 1] == '/' ? std::string::npos : BlankTitleEnd(text, contentStart);
        if (contentEnd != std::string::npos) {
            result.append(text, copied, contentStart - copied);
            result += "<![CDATA[";
            result.append(text, contentStart, contentEnd - contentStart);
            result += "]]>";
            copied = contentEnd;
        }
        pos = contentStart;
    }
    if (copied == 0) return;
    result.append(text, copied, std::string::npos);
    text.swap(result);
}
// The parser recurses once per element level, in loading and in freeing the
// tree: a document nested deeper than any feed is refused before it can
// exhaust a thread's stack. Counts start tags against end tags, skipping
// comments, CDATA, declarations and empty elements.
constexpr int kMaxNesting = 256;

bool NestingWithinLimit(const std::string& text) {
    int depth = 0;
    size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        const char* close = At(text, pos, "<!--")        ? "-->"
                            : At(text, pos, "<![CDATA[") ? "]]>"
                                                         : ">";
        size_t end = text.find(close, pos + 1);
        if (end == std::string::npos) break;
        char kind = pos + 1 < text.size() ? text[pos + 1] : '\0';
        if (kind == '/') {
            if (depth > 0) --depth;
        } else if (kind != '!' && kind != '?' && text[end - 1] != '/') {
            if (++depth > kMaxNesting) return false;
        }
        pos = end + std::strlen(close);
    }
    return true;
}
}  // namespace

void PrepareFeedText(std::string& text) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    NormalizeLineEnds(text);
    KeepBlankTitles(text);
}

bool LoadFeedDocument(const wchar_t* file, TiXmlDocument& document) {
    std::string text;
    if (!ReadWholeFile(file, text)) return false;
    UINT codePage = FeedSourceCodePage(text);
    if (codePage) {
        if (!ConvertFeedTextToUtf8(text, codePage)) return false;
        WriteWholeFile(file, text);
    }
    PrepareFeedText(text);
    if (!NestingWithinLimit(text)) return false;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    return !document.Error();
}
