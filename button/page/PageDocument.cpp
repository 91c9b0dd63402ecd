#include "page/PageDocument.h"

namespace {

// Takes ownership of a BSTR and returns its text.
std::wstring TakeBstr(BSTR text) {
    std::wstring copy = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return copy;
}

}  // namespace

bool BrowserDocument(IWebBrowser2* browser, ComRef<IDispatch>* document) {
    document->Reset();
    if (!browser) return false;
    IDispatch* found = nullptr;
    // A failing call may leave anything in its out pointer.
    if (FAILED(browser->get_Document(&found)) || !found) return false;
    *document->Receive() = found;
    return true;
}

bool PageDocuments(IWebBrowser2* browser, ComRef<IHTMLDocument2>* document2,
                   ComRef<IHTMLDocument3>* document3) {
    ComRef<IDispatch> document;
    if (!BrowserDocument(browser, &document)) return false;
    if (FAILED(document2->QueryFrom(document.Get(), IID_IHTMLDocument2))) return false;
    return SUCCEEDED(document3->QueryFrom(document.Get(), IID_IHTMLDocument3));
}

bool FindElement(IHTMLDocument3* document, const wchar_t* id, ComRef<IHTMLElement>* element) {
    BSTR name = SysAllocString(id);
    if (!name) return false;
    IHTMLElement* found = nullptr;
    HRESULT hr = document->getElementById(name, &found);
    SysFreeString(name);
    element->Reset();
    // A failing call may leave anything in its out pointer.
    if (FAILED(hr) || !found) return false;
    *element->Receive() = found;
    return true;
}

bool ReadAttribute(IHTMLElement* element, const wchar_t* name, std::wstring* text) {
    text->clear();
    BSTR attribute = SysAllocString(name);
    if (!attribute) return false;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = element->getAttribute(attribute, 0, &value);
    SysFreeString(attribute);
    if (FAILED(hr)) return false;
    if (V_VT(&value) == VT_BSTR && V_BSTR(&value)) {
        text->assign(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
    }
    VariantClear(&value);
    return true;
}

std::wstring PageAddress(IWebBrowser2* browser) {
    BSTR address = nullptr;
    if (!browser || FAILED(browser->get_LocationURL(&address))) return std::wstring();
    return TakeBstr(address);
}

bool IsTopLevelFrame(IDispatch* frame, IWebBrowser2* browser) {
    if (!frame || !browser) return false;
    ComRef<IUnknown> frameIdentity;
    ComRef<IUnknown> browserIdentity;
    if (FAILED(frameIdentity.QueryFrom(frame, IID_IUnknown))) return false;
    if (FAILED(browserIdentity.QueryFrom(browser, IID_IUnknown))) return false;
    return frameIdentity.Get() == browserIdentity.Get();
}
