#include "server/RssBandDispatch.h"

HRESULT RssBandDispatch::LoadTypeInfo() {
    if (typeInfo_) return S_OK;
    ComRef<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(LIBID_RSSLib, 1, 0, LOCALE_NEUTRAL, library.Receive());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(IID_IRssBand, typeInfo_.Receive());
}

STDMETHODIMP RssBandDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP RssBandDispatch::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    typeInfo_->AddRef();
    *info = typeInfo_.Get();
    return S_OK;
}

STDMETHODIMP RssBandDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    return typeInfo_->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP RssBandDispatch::Invoke(DISPID member, REFIID riid, LCID, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    return typeInfo_->Invoke(static_cast<IRssBand*>(this), member, flags, params, result, exception,
                             argumentError);
}
