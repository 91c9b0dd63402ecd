#pragma once
// Small objects the band's protocol tests hand to the band or watch it with.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

// IDataObject offering one ANSI text as CF_TEXT in global memory, or
// nothing at all.
class TextData : public IDataObject {
public:
    explicit TextData(const char* text) : text_(text ? text : ""), hasText_(text != nullptr) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!hasText_ || format->cfFormat != CF_TEXT || !(format->tymed & TYMED_HGLOBAL)) {
            return DV_E_FORMATETC;
        }
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text_.size() + 1);
        memcpy(GlobalLock(memory), text_.c_str(), text_.size() + 1);
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    std::string text_;
    bool hasText_;
};

struct SeenMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text;   // for a WM_RSS_DROP with text
    std::wstring item;  // for a WM_RSS_ITEM_TEXT: display text
    std::wstring page;  // and page name
};

// Records the band's messages (1024..3024) arriving at windows it was
// attached to, then lets the original procedure handle them.
class MessageSpy {
public:
    void Attach(HWND window) {
        WNDPROC original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy)));
        SetPropA(window, "BandTestOriginal", reinterpret_cast<HANDLE>(original));
        Current() = this;
    }
    std::vector<SeenMessage> seen;
    int Count(UINT message) const {
        int count = 0;
        for (const SeenMessage& entry : seen) count += entry.message == message;
        return count;
    }
    static MessageSpy*& Current() {
        static MessageSpy* current = nullptr;
        return current;
    }

private:
    // Batch strings may start at odd addresses.
    static std::wstring ReadWide(const BYTE* at) {
        std::wstring text;
        for (wchar_t ch; memcpy(&ch, at, sizeof ch), ch; at += sizeof ch) text += ch;
        return text;
    }

    static LRESULT CALLBACK Spy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto original = reinterpret_cast<WNDPROC>(GetPropA(window, "BandTestOriginal"));
        if (message >= WM_USER && message <= WM_USER + 2000 && Current()) {
            SeenMessage entry = {window, message, wParam, lParam, "", L"", L""};
            if (message == WM_USER + 1009 && wParam) entry.text = reinterpret_cast<char*>(wParam);
            if (message == WM_USER + 1011 && lParam) {
                entry.item = ReadWide(reinterpret_cast<const BYTE*>(lParam));
                entry.page = ReadWide(reinterpret_cast<const BYTE*>(lParam) +
                                      (entry.item.size() + 1) * sizeof(wchar_t));
            }
            Current()->seen.push_back(entry);
        }
        if (message == WM_NCDESTROY) RemovePropA(window, "BandTestOriginal");
        return original ? CallWindowProcA(original, window, message, wParam, lParam)
                        : DefWindowProcA(window, message, wParam, lParam);
    }
};
