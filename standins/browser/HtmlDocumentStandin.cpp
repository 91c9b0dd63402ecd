#include "browser/HtmlDocumentStandin.h"

#include <olectl.h>

#include <cwctype>

namespace {

// HTMLDocumentEvents2 {3050F613-98B5-11CF-BB82-00AA00BDCE0B} and its onclick.
const IID kDocumentEvents = {
    0x3050F613, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
constexpr DISPID kOnClick = -600;

BSTR CopyBstr(const std::wstring& text) {
    return SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
}

std::wstring TextOf(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

// The link elements of a page, fetched by index.
class CollectionStandin : public StubHTMLElementCollection {
public:
    CollectionStandin(const std::vector<HtmlElementStandin*>& items, int failAt)
        : items_(items), failAt_(failAt) {
        for (HtmlElementStandin* item : items_) item->AddRef();
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IHTMLElementCollection)
            return E_NOINTERFACE;
        *object = static_cast<IHTMLElementCollection*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return refs;
    }
    STDMETHODIMP get_length(LONG* length) override {
        if (!length) return E_POINTER;
        *length = static_cast<LONG>(items_.size());
        return S_OK;
    }
    STDMETHODIMP item(VARIANT name, VARIANT index, IDispatch** result) override {
        if (!result) return E_POINTER;
        *result = nullptr;
        // The browser takes a number in the first argument as the index.
        if (V_VT(&name) != VT_I4 || V_VT(&index) != VT_I4) return E_INVALIDARG;
        LONG i = V_I4(&name);
        if (failAt_ >= 0 && i >= failAt_) return E_FAIL;
        if (i < 0 || i >= static_cast<LONG>(items_.size())) return S_OK;
        return items_[i]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(result));
    }

private:
    virtual ~CollectionStandin() {
        for (HtmlElementStandin* item : items_) item->Release();
    }

    LONG refs_ = 1;
    std::vector<HtmlElementStandin*> items_;
    int failAt_;
};

// The event object of one click.
class EventStandin : public StubHTMLEventObj {
public:
    explicit EventStandin(IHTMLElement* source) : source_(source) {
        if (source_) source_->AddRef();
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IHTMLEventObj)
            return E_NOINTERFACE;
        *object = static_cast<IHTMLEventObj*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return refs;
    }
    STDMETHODIMP get_srcElement(IHTMLElement** element) override {
        if (!element) return E_POINTER;
        *element = source_;
        if (source_) source_->AddRef();
        return S_OK;
    }

private:
    virtual ~EventStandin() {
        if (source_) source_->Release();
    }

    LONG refs_ = 1;
    IHTMLElement* source_;
};

}  // namespace

// ---- element ----------------------------------------------------------------

HtmlElementStandin::HtmlElementStandin(std::wstring tag, std::wstring id)
    : tag_(std::move(tag)), id_(std::move(id)) {}

void HtmlElementStandin::SetAttribute(const std::wstring& name, const std::wstring& value) {
    attributes_.emplace_back(name, value);
}

STDMETHODIMP HtmlElementStandin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IHTMLElement)
        return E_NOINTERFACE;
    *object = static_cast<IHTMLElement*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) HtmlElementStandin::AddRef() {
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) HtmlElementStandin::Release() {
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP HtmlElementStandin::getAttribute(BSTR name, LONG, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    std::wstring wanted = TextOf(name);
    for (const auto& attribute : attributes_) {
        if (SameTextIgnoringCase(attribute.first, wanted)) {
            V_VT(value) = VT_BSTR;
            V_BSTR(value) = CopyBstr(attribute.second);
            return S_OK;
        }
    }
    V_VT(value) = VT_NULL;
    return S_OK;
}

STDMETHODIMP HtmlElementStandin::get_id(BSTR* id) {
    if (!id) return E_POINTER;
    *id = id_.empty() ? nullptr : CopyBstr(id_);
    return S_OK;
}

STDMETHODIMP HtmlElementStandin::get_tagName(BSTR* tag) {
    if (!tag) return E_POINTER;
    *tag = CopyBstr(tag_);
    return S_OK;
}

STDMETHODIMP HtmlElementStandin::get_innerHTML(BSTR* html) {
    if (!html) return E_POINTER;
    *html = CopyBstr(innerHtml_);
    return S_OK;
}

STDMETHODIMP HtmlElementStandin::put_innerHTML(BSTR html) {
    if (refuseInnerHtml_) return E_ACCESSDENIED;
    innerHtml_ = TextOf(html);
    ++innerHtmlWrites_;
    return S_OK;
}

// ---- document ---------------------------------------------------------------

HtmlDocumentStandin* HtmlDocumentStandin::Create(const HtmlPage& page) {
    return new HtmlDocumentStandin(page);
}

HtmlDocumentStandin::HtmlDocumentStandin(const HtmlPage& page) : page_(page), eventPoint_(this) {
    for (const HtmlPage::Link& link : page.links) {
        auto* element = new HtmlElementStandin(L"LINK", L"");
        for (const auto& attribute : link.attributes)
            element->SetAttribute(attribute.first, attribute.second);
        links_.push_back(element);
    }
    for (const HtmlPage::Element& element : page.elements) AddElement(element);
    if (page.body) body_ = new HtmlElementStandin(L"BODY", L"");
}

HtmlDocumentStandin::~HtmlDocumentStandin() {
    for (auto& sink : sinks_) sink.second->Release();
    for (HtmlElementStandin* element : links_) element->Release();
    for (HtmlElementStandin* element : elements_) element->Release();
    if (body_) body_->Release();
}

void HtmlDocumentStandin::AddElement(const HtmlPage::Element& description) {
    auto* element = new HtmlElementStandin(description.tag, description.id);
    element->SetAttribute(L"id", description.id);
    element->SetInnerHtml(description.innerHtml);
    elements_.push_back(element);
}

HtmlElementStandin* HtmlDocumentStandin::Element(const std::wstring& id) const {
    for (HtmlElementStandin* element : elements_)
        if (element->Id() == id) return element;
    return nullptr;
}

int HtmlDocumentStandin::CountInMarkup(const std::wstring& text) const {
    int count = 0;
    for (HtmlElementStandin* element : elements_) {
        const std::wstring& html = element->InnerHtml();
        for (size_t at = html.find(text); at != std::wstring::npos; at = html.find(text, at + 1))
            ++count;
    }
    return count;
}

HtmlElementStandin* HtmlDocumentStandin::FromMarkup(const std::wstring& tag,
                                                    const std::wstring& id) const {
    const std::wstring attribute = L"id=\"" + id + L"\"";
    for (HtmlElementStandin* element : elements_) {
        const std::wstring& html = element->InnerHtml();
        for (size_t at = html.find(attribute); at != std::wstring::npos;
             at = html.find(attribute, at + 1)) {
            size_t open = html.rfind(L'<', at);
            if (open == std::wstring::npos) continue;
            size_t end = open + 1;
            while (end < html.size() && iswalnum(html[end])) ++end;
            std::wstring found = html.substr(open + 1, end - open - 1);
            if (!tag.empty() && !SameTextIgnoringCase(found, tag)) continue;
            auto* made = new HtmlElementStandin(found, id);
            made->SetAttribute(L"id", id);
            return made;
        }
    }
    return nullptr;
}

void HtmlDocumentStandin::Click(IHTMLElement* element) {
    auto* event = new EventStandin(element);
    // A sink may disconnect while handling the click: call a counted copy.
    std::vector<IDispatch*> targets;
    for (auto& sink : sinks_) {
        sink.second->AddRef();
        targets.push_back(sink.second);
    }
    VARIANTARG argument;
    V_VT(&argument) = VT_DISPATCH;
    V_DISPATCH(&argument) = static_cast<IHTMLEventObj*>(event);
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    for (IDispatch* target : targets) {
        VARIANT result;
        VariantInit(&result);
        target->Invoke(kOnClick, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                       nullptr, nullptr);
        VariantClear(&result);
        target->Release();
    }
    event->Release();
}

bool HtmlDocumentStandin::ClickMarkup(const std::wstring& tag, const std::wstring& id) {
    HtmlElementStandin* element = FromMarkup(tag, id);
    if (!element) return false;
    Click(element);
    element->Release();
    return true;
}

STDMETHODIMP HtmlDocumentStandin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IHTMLDocument2*>(this);
    } else if (page_.html && (riid == IID_IHTMLDocument || riid == IID_IHTMLDocument2)) {
        *object = static_cast<IHTMLDocument2*>(this);
    } else if (page_.html && riid == IID_IHTMLDocument3) {
        *object = static_cast<IHTMLDocument3*>(this);
    } else if (page_.html && riid == IID_IConnectionPointContainer) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) HtmlDocumentStandin::AddRef() {
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) HtmlDocumentStandin::Release() {
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP HtmlDocumentStandin::get_body(IHTMLElement** body) {
    if (!body) return E_POINTER;
    *body = body_;
    if (!body_) return S_OK;
    body_->AddRef();
    return S_OK;
}

STDMETHODIMP HtmlDocumentStandin::getElementById(BSTR id, IHTMLElement** element) {
    if (!element) return E_POINTER;
    *element = nullptr;
    std::wstring wanted = TextOf(id);
    if (HtmlElementStandin* found = Element(wanted)) {
        found->AddRef();
        *element = found;
    } else {
        *element = FromMarkup(L"", wanted);
    }
    return S_OK;
}

STDMETHODIMP HtmlDocumentStandin::getElementsByTagName(BSTR tag,
                                                       IHTMLElementCollection** collection) {
    if (!collection) return E_POINTER;
    bool links = SameTextIgnoringCase(TextOf(tag), L"link");
    *collection = new CollectionStandin(links ? links_ : std::vector<HtmlElementStandin*>(),
                                        page_.failLinkItemAt);
    return S_OK;
}

STDMETHODIMP HtmlDocumentStandin::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP HtmlDocumentStandin::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (riid != kDocumentEvents) return CONNECT_E_NOCONNECTION;
    *point = &eventPoint_;
    eventPoint_.AddRef();
    return S_OK;
}

// ---- HTMLDocumentEvents2 connection point -----------------------------------

STDMETHODIMP HtmlDocumentStandin::EventPoint::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP HtmlDocumentStandin::EventPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = kDocumentEvents;
    return S_OK;
}

STDMETHODIMP HtmlDocumentStandin::EventPoint::GetConnectionPointContainer(
    IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = owner_;
    owner_->AddRef();
    return S_OK;
}

STDMETHODIMP HtmlDocumentStandin::EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    ++owner_->advises_;
    if (owner_->page_.refuseAdvise) return CONNECT_E_CANNOTCONNECT;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = owner_->nextCookie_++;
    owner_->sinks_.emplace_back(*cookie, dispatch);
    return S_OK;
}

STDMETHODIMP HtmlDocumentStandin::EventPoint::Unadvise(DWORD cookie) {
    auto& sinks = owner_->sinks_;
    for (auto it = sinks.begin(); it != sinks.end(); ++it) {
        if (it->first == cookie) {
            it->second->Release();
            sinks.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP HtmlDocumentStandin::EventPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}
