#include "engine/SubscriptionFile.h"

#include <cstdlib>
#include <vector>
#include <windows.h>

#include "engine/ChannelFiles.h"
#include "engine/EngineText.h"
#include "feeds/FeedEncoding.h"

namespace {

const char kHeader[] = "RssFeed subscriptions 1";
const size_t kFields = 8;

std::string Escape(const std::wstring& text) {
    std::string out;
    for (char ch : ToUtf8(text)) {
        switch (ch) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::wstring Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            ch = next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        }
        out += ch;
    }
    return FromUtf8(out.c_str());
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = line.find(separator, start)) != std::string::npos; start = end + 1) {
        fields.push_back(line.substr(start, end - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

bool ParseNumber(const std::string& text, DWORD& value) {
    if (text.empty() || text.size() > 10) return false;
    char* end = nullptr;
    unsigned long number = std::strtoul(text.c_str(), &end, 10);
    if (*end || number > 0xFFFFFFFFul) return false;
    value = static_cast<DWORD>(number);
    return true;
}

bool ParseNode(const std::vector<std::string>& f, const FeedTreeModel& model, FeedNode& node) {
    if (f.size() != kFields || (f[2] != "F" && f[2] != "C")) return false;
    if (!ParseNumber(f[0], node.id) || !ParseNumber(f[1], node.parent) || node.id == 0) {
        return false;
    }
    if (model.Find(node.id)) return false;
    // Parents come first; anything else is placed at the top level.
    const FeedNode* parent = model.Find(node.parent);
    if (!parent || !parent->folder) node.parent = 0;
    node.folder = f[2] == "F";
    node.expanded = f[3] == "1";
    node.titled = f[4] == "1";
    node.text = Unescape(f[5]);
    node.page = node.folder ? std::wstring() : Unescape(f[6]);
    node.address = node.folder ? std::wstring() : Unescape(f[7]);
    return node.folder || !node.page.empty();
}

}  // namespace

SubscriptionFile::SubscriptionFile(std::wstring folder) : path_(folder + L"\\subscriptions.txt") {}

std::string SubscriptionFile::Format(const FeedTreeModel& model) {
    std::string text = std::string(kHeader) + "\r\n";
    for (const FeedNode& node : model.Nodes()) {
        text += std::to_string(node.id) + "\t" + std::to_string(node.parent) + "\t" +
                (node.folder ? "F" : "C") + "\t" + (node.expanded ? "1" : "0") + "\t" +
                (node.titled ? "1" : "0") + "\t" + Escape(node.text) + "\t" + Escape(node.page) +
                "\t" + Escape(node.address) + "\r\n";
    }
    return text + "end\t" + std::to_string(model.Nodes().size()) + "\r\n";
}

bool SubscriptionFile::Parse(const std::string& text, FeedTreeModel& model) {
    FeedTreeModel parsed;
    std::vector<std::string> lines = Split(text, '\n');
    for (std::string& line : lines) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }
    // The header, the nodes, the closing count and the empty rest after it.
    if (lines.size() < 3 || lines[0] != kHeader || !lines.back().empty()) return false;
    for (size_t i = 1; i + 2 < lines.size(); ++i) {
        FeedNode node;
        if (!ParseNode(Split(lines[i], '\t'), parsed, node)) return false;
        parsed.Add(node);
    }
    std::vector<std::string> end = Split(lines[lines.size() - 2], '\t');
    DWORD count = 0;
    if (end.size() != 2 || end[0] != "end" || !ParseNumber(end[1], count) ||
        count != parsed.Nodes().size()) {
        return false;
    }
    model = parsed;
    return true;
}

bool SubscriptionFile::LoadFrom(const std::wstring& path, FeedTreeModel& model) const {
    std::string text;
    return ReadWholeFile(path.c_str(), text) && Parse(text, model);
}

bool SubscriptionFile::Load(FeedTreeModel& model) const {
    if (LoadFrom(path_, model)) return true;
    std::wstring fresh = path_ + L".new";
    bool recovered = LoadFrom(fresh, model);
    if (GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Never silently overwritten by the next save.
        MoveFileExW(path_.c_str(), (path_ + L".broken").c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    if (recovered) MoveFileExW(fresh.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    return recovered;
}

bool SubscriptionFile::Save(const FeedTreeModel& model) const {
    return WriteFileReplacing(path_, Format(model));
}
