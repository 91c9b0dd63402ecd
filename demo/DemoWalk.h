#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The walk through a user's session: each step is printed as one line
// "step N: what — result" and kept for the summary; pictures of what the
// screen shows go into the output folder as BMP files.
class DemoWalk {
public:
    // pictureFolder empty: no pictures (the quick check). camera: the program
    // that takes them (SaveScreenAreaBy); empty: this process does.
    explicit DemoWalk(std::wstring pictureFolder, std::wstring camera = L"");

    // Records and prints a step; returns ok.
    bool Step(const std::wstring& what, bool ok, const std::wstring& result);
    // A picture of area named "NN_name.bmp" after the last step; nothing in
    // check mode. Prints where it went.
    void Picture(const RECT& area, const wchar_t* name);
    // Any line of detail under the current step.
    void Note(const std::wstring& text);

    // The summary of every step; 0 when all were ok, else 1.
    int Summary() const;
    bool TakesPictures() const { return !folder_.empty(); }

private:
    struct Record {
        std::wstring what;
        bool ok;
    };
    std::wstring folder_;
    std::wstring camera_;
    std::vector<Record> steps_;
    int pictures_ = 0;
};

// Text as UTF-8 on standard output, flushed.
void PrintText(const std::wstring& text);
