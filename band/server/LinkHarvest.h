#pragma once
// Marks a channel's items as visited: reads the item list the engine saved
// beside the channel page (the page name without extension, in the temporary
// folder) and records every item link in the browser's URL history, so that
// pages showing those links draw them in the visited colour.
#include <windows.h>
#include <urlhist.h>
#include <msxml.h>
#include <string>

#include "common/ComRef.h"

// Missing from MinGW's import libraries.
extern const CLSID kClsidUrlHistory;  // {3C374A40-BAE4-11CF-BF7D-00AA006946EE}
extern const IID kIidUrlHistoryStg;   // {3C374A41-BAE4-11CF-BF7D-00AA006946EE}
extern const IID kIidXmlDomDocument;  // {2933BF81-7B36-11D2-B20E-00C04F983E60}

class LinkHarvest {
public:
    // The item links inside an item list.
    static const wchar_t kLinkPath[];

    // Creates the URL history store and the XML document once; either may be
    // missing, which silently disables what needs it. COM must be initialised
    // on the calling thread.
    LinkHarvest();

    bool HasHistory() const { return static_cast<bool>(history_); }
    bool HasDocument() const { return static_cast<bool>(document_); }

    // Records the links of the item list of pageName. Every failure (no
    // document, no file, not well-formed, no links) ends the harvest silently.
    void Harvest(const wchar_t* pageName);

    // The item list's path: temporary folder + page name in the thread's ANSI
    // code page; empty when it does not fit.
    static std::string ItemListPath(const wchar_t* pageName);

private:
    void Record(IXMLDOMNode* node);

    ComRef<IUrlHistoryStg> history_;
    ComRef<IXMLDOMDocument> document_;
};
