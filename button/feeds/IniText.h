#pragma once
#include <windows.h>

#include <string>
#include <utility>

// The whole text of an INI file in one of the encodings the profile
// functions read: UTF-16LE with a byte-order mark, UTF-8 with one, else the
// ANSI code page. For readers that take many values at once and for writers
// that replace the file in one piece.
class IniText {
public:
    // False when the file exists but cannot be read. A missing file loads as
    // empty text that will be written as UTF-16LE, as the store creates it.
    bool Load(const std::wstring& path);
    // Decodes bytes as a file's content.
    void Decode(const std::string& bytes);

    bool Existed() const { return existed_; }
    const std::wstring& Text() const { return text_; }
    void SetText(std::wstring text) { text_.swap(text); }
    // Hands the text over, leaving this one empty.
    std::wstring TakeText() { return std::move(text_); }
    // The text in the encoding it was loaded from, byte-order mark included.
    std::string Encode() const;

private:
    enum class Encoding { kUtf16, kUtf8, kAnsi };

    std::wstring text_;
    Encoding encoding_ = Encoding::kUtf16;
    bool existed_ = false;
};
