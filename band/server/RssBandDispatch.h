#pragma once
// IRssBand's IDispatch, answered from the registered type library RSSLib.
// The interface has no members, so every name and member is unknown.
#include "RssLib.h"
#include "common/ComRef.h"

class RssBandDispatch : public IRssBand {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    HRESULT LoadTypeInfo();

    ComRef<ITypeInfo> typeInfo_;
};
