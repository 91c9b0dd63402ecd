#pragma once
#include <windows.h>
#include <oaidl.h>

// An IDispatch that only receives events by DISPID: it has no type
// information and knows no names, and says so to callers instead of
// reporting a null type description as success.
class EventDispatch : public IDispatch {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;

protected:
    ~EventDispatch() = default;
};
