#include "page/DocumentClickSink.h"

// {3050F613-98B5-11CF-BB82-00AA00BDCE0B}
const IID kHtmlDocumentEvents2 = {
    0x3050F613, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

namespace {

// onclick of HTMLDocumentEvents2.
constexpr DISPID kOnClick = -600;

}  // namespace

void DocumentClickSink::Attach(IDispatch* document) {
    if (cookie_ || !document) return;
    ComRef<IConnectionPointContainer> container;
    if (FAILED(container.QueryFrom(document, IID_IConnectionPointContainer))) return;
    IConnectionPoint* point = nullptr;
    if (FAILED(container->FindConnectionPoint(kHtmlDocumentEvents2, &point)) || !point) return;
    ComRef<IConnectionPoint> found;
    *found.Receive() = point;
    DWORD cookie = 0;
    if (FAILED(found->Advise(static_cast<IDispatch*>(this), &cookie)) || !cookie) return;
    point_ = found;
    cookie_ = cookie;
}

void DocumentClickSink::Detach() {
    if (!cookie_) return;
    if (point_) point_->Unadvise(cookie_);
    point_.Reset();
    cookie_ = 0;
}

STDMETHODIMP DocumentClickSink::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kHtmlDocumentEvents2) {
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP DocumentClickSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                       EXCEPINFO*, UINT*) {
    try {
        if (id == kOnClick) OnClick(params);
    } catch (...) {
        return E_FAIL;
    }
    // The result is left alone: the click's default action goes on.
    return S_OK;
}

void DocumentClickSink::OnClick(const DISPPARAMS* params) {
    if (!params || params->cArgs < 1 || !params->rgvarg) return;
    const VARIANT* argument = &params->rgvarg[params->cArgs - 1];
    if (V_VT(argument) == (VT_VARIANT | VT_BYREF)) argument = V_VARIANTREF(argument);
    if (!argument || V_VT(argument) != VT_DISPATCH || !V_DISPATCH(argument)) return;
    ComRef<IHTMLEventObj> event;
    if (FAILED(event.QueryFrom(V_DISPATCH(argument), IID_IHTMLEventObj))) return;
    IHTMLElement* source = nullptr;
    if (FAILED(event->get_srcElement(&source)) || !source) return;
    ComRef<IHTMLElement> element;
    *element.Receive() = source;
    owner_->OnDocumentClick(element.Get());
}
