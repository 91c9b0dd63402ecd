#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>

#include <string>

#include "common/ComRef.h"

// Small steps from the button's browser to the page it shows. Each answers
// false when any browser or document call fails; nothing is reported.

// The browser's current document, whatever kind it is.
bool BrowserDocument(IWebBrowser2* browser, ComRef<IDispatch>* document);

// The current document as IHTMLDocument2 and IHTMLDocument3; false when
// the page is not an HTML document.
bool PageDocuments(IWebBrowser2* browser, ComRef<IHTMLDocument2>* document2,
                   ComRef<IHTMLDocument3>* document3);

// getElementById; false when the element is missing.
bool FindElement(IHTMLDocument3* document, const wchar_t* id, ComRef<IHTMLElement>* element);

// getAttribute(name, 0) as text: a missing attribute reads as empty text.
bool ReadAttribute(IHTMLElement* element, const wchar_t* name, std::wstring* text);

// The browser's current address, empty when it cannot be read.
std::wstring PageAddress(IWebBrowser2* browser);

// True when frame is the browser itself rather than one of its inner frames:
// both are asked for IUnknown and the identities compared.
bool IsTopLevelFrame(IDispatch* frame, IWebBrowser2* browser);
