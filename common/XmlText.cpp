#include "common/XmlText.h"

#include "common/TextEncoding.h"

std::string XmlEscape(const std::wstring& text) {
    std::string out;
    for (char ch : ToUtf8(text)) {
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
                // Other control characters are not allowed in XML 1.0 at all.
                if (static_cast<unsigned char>(ch) >= 0x20) out += ch;
        }
    }
    return out;
}
