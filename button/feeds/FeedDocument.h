#pragma once
#include <string>

#include "tinyxml.h"

// Reading a feed file into a TinyXML document. The file is converted to UTF-8
// first when it is in another encoding (and rewritten, so that it is converted
// only once), and the document is always parsed as UTF-8, so that numeric
// character references become UTF-8 too.

// False when the file cannot be read, has no ">" to cut a conversion at, or
// is not well-formed XML.
bool LoadFeedDocument(const wchar_t* file, TiXmlDocument& document);

// Prepares UTF-8 document text for the parser: drops the byte-order mark,
// turns CRLF and lone CR into LF (as TinyXML's own file loading does) and
// keeps titles made only of spaces, which TinyXML would otherwise drop as
// blank text, by wrapping their spaces in CDATA.
void PrepareFeedText(std::string& text);
