#pragma once
#include <string>

// Text and attribute values of an XML document in UTF-8: markup characters
// and line ends as references, other control characters, which XML 1.0 does
// not allow, left out.
std::string XmlEscape(const std::wstring& text);
