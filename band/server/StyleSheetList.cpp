#include "server/StyleSheetList.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Closes the list file on every way out.
class ListFile {
public:
    explicit ListFile(const std::string& path) : file_(std::fopen(path.c_str(), "rt")) {}
    ~ListFile() {
        if (file_) std::fclose(file_);
    }
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;
    FILE* Get() const { return file_; }

private:
    FILE* file_;
};

// After fgets filled the buffer without a line feed: true when the line ends
// right there; otherwise reads past the rest of the overlong line, so that its
// tail is not taken for a line of its own.
bool LineEndsHere(FILE* file) {
    int ch = std::fgetc(file);
    if (ch == EOF || ch == '\n') return true;
    while ((ch = std::fgetc(file)) != EOF && ch != '\n') {
    }
    return false;
}

}  // namespace

void StyleSheetList::Read(const std::string& moduleDirectory) {
    ReadFile(moduleDirectory + "css\\css.txt");
}

void StyleSheetList::ReadFile(const std::string& path) {
    ListFile file(path);
    if (!file.Get()) return;
    char buffer[kLineBuffer];
    while (std::fgets(buffer, sizeof(buffer), file.Get())) {
        size_t length = std::strlen(buffer);
        if (length > 0 && buffer[length - 1] == '\n') {
            --length;
        } else if (length == sizeof(buffer) - 1 && !LineEndsHere(file.Get())) {
            continue;
        }
        StyleSheetEntry entry;
        if (ParseLine(std::string(buffer, length), &entry)) {
            entries_.push_back(entry);
        }
    }
}

bool StyleSheetList::ParseLine(const std::string& line, StyleSheetEntry* entry) {
    size_t first = line.find(';');
    if (first == std::string::npos) return false;
    size_t second = line.find(';', first + 1);
    if (second == std::string::npos) return false;
    entry->id = std::atoi(line.substr(0, first).c_str());
    entry->name = line.substr(first + 1, second - first - 1);
    entry->file = line.substr(second + 1);
    return true;
}

const StyleSheetEntry* StyleSheetList::Find(UINT command) const {
    for (const StyleSheetEntry& entry : entries_) {
        if (LOWORD(entry.id) == LOWORD(command)) return &entry;
    }
    return nullptr;
}

std::string DirectoryOf(const std::string& fileName) {
    size_t slash = fileName.rfind('\\');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}
