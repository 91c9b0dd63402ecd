#pragma once
#include <windows.h>
#include <mshtml.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

#include "browser/HtmlInterfaceStubs.h"

// A small description of a page for the document stand-in.
struct HtmlPage {
    struct Link {
        // Only the attributes listed exist; getAttribute of others gives null.
        std::vector<std::pair<std::wstring, std::wstring>> attributes;
    };
    struct Element {
        std::wstring id;
        std::wstring innerHtml;
        std::wstring tag = L"DIV";
    };

    std::vector<Link> links;
    std::vector<Element> elements;
    bool html = true;           // false: a document without the HTML interfaces
    bool body = true;           // false: get_body answers no element
    int failLinkItemAt = -1;    // the link collection's item fails from here on
    bool refuseAdvise = false;  // HTMLDocumentEvents2 Advise fails
};

// One element of a stand-in page: its tag, id, attributes and inner HTML.
class HtmlElementStandin : public StubHTMLElement {
public:
    HtmlElementStandin(std::wstring tag, std::wstring id);

    void SetAttribute(const std::wstring& name, const std::wstring& value);
    const std::wstring& Tag() const { return tag_; }
    const std::wstring& Id() const { return id_; }
    const std::wstring& InnerHtml() const { return innerHtml_; }
    void SetInnerHtml(const std::wstring& html) { innerHtml_ = html; }
    // put_innerHTML then fails and changes nothing.
    void RefuseInnerHtml(bool refuse) { refuseInnerHtml_ = refuse; }
    int InnerHtmlWrites() const { return innerHtmlWrites_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP getAttribute(BSTR name, LONG flags, VARIANT* value) override;
    STDMETHODIMP get_id(BSTR* id) override;
    STDMETHODIMP get_tagName(BSTR* tag) override;
    STDMETHODIMP get_innerHTML(BSTR* html) override;
    STDMETHODIMP put_innerHTML(BSTR html) override;

private:
    virtual ~HtmlElementStandin() = default;

    LONG refs_ = 1;
    std::wstring tag_;
    std::wstring id_;
    std::vector<std::pair<std::wstring, std::wstring>> attributes_;
    std::wstring innerHtml_;
    bool refuseInnerHtml_ = false;
    int innerHtmlWrites_ = 0;
};

// A document for the browser stand-in, built from an HtmlPage: link elements
// by tag name, elements by id (also those that markup written into an
// element's inner HTML carries), the body, and HTMLDocumentEvents2 clicks a
// test fires. Single-threaded.
class HtmlDocumentStandin : public StubHTMLDocument2,
                            public StubHTMLDocument3,
                            public IConnectionPointContainer {
public:
    // Reference count 1; the caller releases it.
    static HtmlDocumentStandin* Create(const HtmlPage& page);

    // Test side.
    void AddElement(const HtmlPage::Element& element);
    // An element of the description, null when there is none.
    HtmlElementStandin* Element(const std::wstring& id) const;
    // How often text occurs in the inner HTML of all elements.
    int CountInMarkup(const std::wstring& text) const;
    // Fires onclick with srcElement = element to every connected sink.
    void Click(IHTMLElement* element);
    // Clicks the element of tag and id that markup in an element's inner
    // HTML carries; false when there is none.
    bool ClickMarkup(const std::wstring& tag, const std::wstring& id);
    size_t SinkCount() const { return sinks_.size(); }
    int Advises() const { return advises_; }
    IDispatch* AsDispatch() { return static_cast<IHTMLDocument2*>(this); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IHTMLDocument2
    STDMETHODIMP get_body(IHTMLElement** body) override;
    // IHTMLDocument3
    STDMETHODIMP getElementById(BSTR id, IHTMLElement** element) override;
    STDMETHODIMP getElementsByTagName(BSTR tag, IHTMLElementCollection** collection) override;
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

private:
    class EventPoint : public IConnectionPoint {
    public:
        explicit EventPoint(HtmlDocumentStandin* owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }
        STDMETHODIMP GetConnectionInterface(IID* iid) override;
        STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
        STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
        STDMETHODIMP Unadvise(DWORD cookie) override;
        STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    private:
        HtmlDocumentStandin* owner_;
    };

    explicit HtmlDocumentStandin(const HtmlPage& page);
    virtual ~HtmlDocumentStandin();
    // A new element for the first tag in the markup with this id (any tag
    // when tag is empty); null when there is none.
    HtmlElementStandin* FromMarkup(const std::wstring& tag, const std::wstring& id) const;

    LONG refs_ = 1;
    HtmlPage page_;
    EventPoint eventPoint_;
    std::vector<HtmlElementStandin*> links_;
    std::vector<HtmlElementStandin*> elements_;
    HtmlElementStandin* body_ = nullptr;
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
    DWORD nextCookie_ = 1;
    int advises_ = 0;
};
