#pragma once
// Owner of one BSTR (SysAllocString, SysFreeString).
#include <windows.h>
#include <oleauto.h>

#include <string>

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : text_(text ? SysAllocString(text) : nullptr) {}
    // The whole string, NULs within included.
    explicit Bstr(const std::wstring& text)
        : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const { return text_; }
    // For out-parameters: frees the string held first.
    BSTR* Receive() {
        SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }

private:
    BSTR text_ = nullptr;
};
