#pragma once
// The style sheets offered in the options menu, read from "css\css.txt"
// beside the module. Each line is "id;name;file": id is a command id
// (11000-11100), name the menu text in the ANSI code page, file a path
// relative to the module's directory that may itself contain ";".
#include <windows.h>
#include <string>
#include <vector>

struct StyleSheetEntry {
    int id = 0;
    std::string name;
    std::string file;
};

class StyleSheetList {
public:
    // Lines are read into a buffer of this size; longer lines are skipped whole.
    static const size_t kLineBuffer = 1024;

    // Appends the entries of "css\css.txt" in moduleDirectory (which ends with
    // a backslash). A missing or unreadable file adds nothing.
    void Read(const std::string& moduleDirectory);
    // Reads any list file; the same rules as above.
    void ReadFile(const std::string& path);

    // Parses one line (without its line feed); false for a line with fewer
    // than two ";".
    static bool ParseLine(const std::string& line, StyleSheetEntry* entry);

    // First entry whose id, in its low 16 bits, equals command; null if none.
    const StyleSheetEntry* Find(UINT command) const;

    const std::vector<StyleSheetEntry>& Entries() const { return entries_; }

private:
    std::vector<StyleSheetEntry> entries_;
};

// "C:\dir\" for "C:\dir\file.dll": everything up to the last backslash.
std::string DirectoryOf(const std::string& fileName);
