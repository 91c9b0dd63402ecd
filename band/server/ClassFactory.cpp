#include "server/ClassFactory.h"

#include "RssLib.h"
#include "server/Module.h"
#include "server/RssBand.h"

namespace {

// Lives as long as the process; its references do not keep the module.
class RssBandFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        try {
            return RssBand::Create(outer, riid, out);
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            Module::Lock();
        } else {
            Module::Unlock();
        }
        return S_OK;
    }
};

RssBandFactory g_factory;

}  // namespace

HRESULT GetRssBandClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_RssBand)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}
