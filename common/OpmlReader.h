#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Reading subscription lists exchanged with other readers as OPML 1.0 or
// 2.0. The document is decoded from its byte-order mark or declared
// encoding, then read by a small parser of our own that never fetches
// anything: a document type that declares entities, or a reference to any
// entity but the five of XML, refuses the document, so neither external nor
// expanding entities can reach the reader. Documents over kMaxOpmlBytes or
// nested deeper than kMaxOpmlNesting are refused before they can cost much.

constexpr DWORD kMaxOpmlBytes = 32 * 1024 * 1024;
// Element levels, the opml and body elements included.
constexpr int kMaxOpmlNesting = 256;

// One outline of the body, in document order; nested outlines follow their
// parent with a depth one greater.
struct OpmlOutline {
    int depth = 0;        // 0 for an outline directly in the body
    std::wstring title;   // the title attribute, else the text attribute
    std::wstring xmlUrl;  // empty for a folder or a note
    std::wstring htmlUrl;
};

enum class OpmlVerdict {
    kRead,
    kUnreadable,  // the file cannot be opened or read
    kTooLarge,
    kTooDeep,
    kEntities,   // declares entities or refers to one XML does not define
    kMalformed,  // not well-formed XML
    kNotOpml,    // well-formed, but its root is not an opml element
};

class OpmlReader {
public:
    // The outlines of the file; none unless the verdict is kRead.
    OpmlVerdict ReadFile(const wchar_t* path);
    // The same for a document already in memory.
    OpmlVerdict ReadBytes(const std::string& bytes);

    const std::vector<OpmlOutline>& Outlines() const { return outlines_; }

private:
    OpmlVerdict Parse(const std::wstring& text);

    std::vector<OpmlOutline> outlines_;
};
