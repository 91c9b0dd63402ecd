#pragma once
// Feed texts are untrusted markup. These turn them into what a channel page
// may carry: escaped text, links of harmless schemes only, and a small set of
// presentational elements that form well-formed XML. Nothing that can run
// script survives (script-like elements, event and style attributes, and
// links other than http, https, ftp and mailto are dropped).
#include <string>

// Text for an XML text node or attribute value: markup characters escaped,
// characters XML does not allow dropped.
std::wstring EscapeMarkup(const std::wstring& text);

// The address resolved against base and cut of control characters, or ""
// when its scheme is not one a page may link to.
std::wstring SafeLink(const std::wstring& address, const std::wstring& base);

// A fragment of HTML as well-formed, script-free XHTML; relative links
// resolve against base.
std::wstring SanitizeHtml(const std::wstring& html, const std::wstring& base);

// The text of a title that may hold HTML: known HTML tags dropped (other
// angle brackets kept as text), entities decoded, runs of white space made
// one blank.
std::wstring HtmlToText(const std::wstring& html);
