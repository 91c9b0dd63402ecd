#include "page/PageFeeds.h"

#include <cwchar>
#include <functional>
#include <string>

#include "page/FeedHref.h"
#include "page/PageDocument.h"

namespace {

// Calls visit for each qualifying link element until it returns false.
void VisitFeedLinks(IWebBrowser2* browser, const std::function<bool(IHTMLElement*)>& visit) {
    ComRef<IHTMLDocument2> document2;
    ComRef<IHTMLDocument3> document3;
    if (!PageDocuments(browser, &document2, &document3)) return;
    BSTR tag = SysAllocString(L"link");
    if (!tag) return;
    IHTMLElementCollection* raw = nullptr;
    HRESULT hr = document3->getElementsByTagName(tag, &raw);
    SysFreeString(tag);
    if (FAILED(hr) || !raw) return;
    ComRef<IHTMLElementCollection> links;
    *links.Receive() = raw;
    long length = 0;
    if (FAILED(links->get_length(&length))) return;
    for (long i = 0; i < length; ++i) {
        VARIANT name, index;
        VariantInit(&name);
        VariantInit(&index);
        V_VT(&name) = VT_I4;
        V_I4(&name) = i;
        V_VT(&index) = VT_I4;
        V_I4(&index) = i;
        IDispatch* item = nullptr;
        if (FAILED(links->item(name, index, &item)) || !item) return;
        ComRef<IDispatch> itemRef;
        *itemRef.Receive() = item;
        ComRef<IHTMLElement> element;
        if (FAILED(element.QueryFrom(item, IID_IHTMLElement))) return;
        std::wstring type;
        if (!ReadAttribute(element.Get(), L"type", &type)) return;
        if (IsFeedLinkType(type.c_str()) && !visit(element.Get())) return;
    }
}

}  // namespace

bool IsFeedLinkType(const wchar_t* type) {
    return type && (wcsstr(type, L"application/rss+xml") || wcsstr(type, L"application/atom+xml"));
}

bool HasPageFeeds(IWebBrowser2* browser) {
    bool found = false;
    VisitFeedLinks(browser, [&](IHTMLElement*) {
        found = true;
        return false;
    });
    return found;
}

int CollectPageFeeds(IWebBrowser2* browser, FeedLinkList* list) {
    if (!list) return 0;
    std::wstring page = PageAddress(browser);
    int count = 0;
    VisitFeedLinks(browser, [&](IHTMLElement* element) {
        FeedLink link;
        std::wstring text;
        // A missing or unreadable attribute leaves its field empty.
        if (ReadAttribute(element, L"title", &text)) link.SetTitle(text.c_str());
        if (ReadAttribute(element, L"href", &text)) {
            link.SetUrl(ResolveFeedHref(text.c_str(), page.c_str()).c_str());
        }
        list->push_back(link);
        ++count;
        return true;
    });
    return count;
}
