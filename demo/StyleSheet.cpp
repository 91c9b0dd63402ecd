#include "StyleSheet.h"

#include <cctype>
#include <cstdlib>
#include <map>

namespace {

// selector -> property -> value
using Rules = std::map<std::string, std::map<std::string, std::string>>;

bool ParseColour(const std::string& value, COLORREF* colour) {
    size_t hash = value.find('#');
    if (hash == std::string::npos) return false;
    std::string hex;
    for (size_t i = hash + 1; i < value.size() && isxdigit(static_cast<unsigned char>(value[i]));
         ++i) {
        hex += value[i];
    }
    if (hex.size() == 3) hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
    if (hex.size() != 6) return false;
    unsigned long rgb = std::strtoul(hex.c_str(), nullptr, 16);
    *colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

void AddDeclarations(Rules* rules, const std::string& selector, const std::string& body) {
    for (size_t p = 0, semi; p < body.size(); p = semi + 1) {
        semi = body.find(';', p);
        if (semi == std::string::npos) semi = body.size();
        std::string declaration = body.substr(p, semi - p);
        size_t colon = declaration.find(':');
        if (colon == std::string::npos) continue;
        (*rules)[selector][Trim(declaration.substr(0, colon))] =
            Trim(declaration.substr(colon + 1));
    }
}

Rules ParseRules(std::string css) {
    for (size_t start; (start = css.find("/*")) != std::string::npos;) {
        size_t end = css.find("*/", start);
        css.erase(start, end == std::string::npos ? std::string::npos : end + 2 - start);
    }
    Rules rules;
    size_t at = 0;
    for (size_t open; (open = css.find('{', at)) != std::string::npos;) {
        size_t close = css.find('}', open);
        if (close == std::string::npos) break;
        std::string selectors = css.substr(at, open - at);
        std::string body = css.substr(open + 1, close - open - 1);
        for (size_t s = 0, comma; s <= selectors.size(); s = comma + 1) {
            comma = selectors.find(',', s);
            if (comma == std::string::npos) comma = selectors.size();
            AddDeclarations(&rules, Trim(selectors.substr(s, comma - s)), body);
        }
        at = close + 1;
    }
    return rules;
}

void Take(const Rules& rules, const char* selector, const char* property, COLORREF* colour) {
    auto rule = rules.find(selector);
    if (rule == rules.end()) return;
    auto value = rule->second.find(property);
    if (value != rule->second.end()) ParseColour(value->second, colour);
}

}  // namespace

SheetColours ColoursOfSheet(const std::string& css) {
    Rules rules = ParseRules(css);
    SheetColours c;
    Take(rules, "body", "background", &c.page);
    Take(rules, "body", "background-color", &c.page);
    Take(rules, "body", "color", &c.text);
    c.header = c.item = c.page;
    c.name = c.description = c.text;
    Take(rules, "#channel", "background", &c.header);
    Take(rules, "#channel", "color", &c.info);
    Take(rules, "#name", "color", &c.name);
    Take(rules, "#name a", "color", &c.name);
    Take(rules, "#info", "color", &c.info);
    Take(rules, "#item", "background", &c.item);
    Take(rules, "#item", "border-bottom", &c.edge);
    Take(rules, "#item", "border", &c.edge);
    Take(rules, "#item", "border-left", &c.edge);
    Take(rules, "#title a", "color", &c.title);
    Take(rules, "#date", "color", &c.date);
    Take(rules, "#description", "color", &c.description);
    return c;
}
