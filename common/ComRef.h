#pragma once
#include <windows.h>
#include <unknwn.h>

#include <utility>

// Owns one counted reference to a COM interface.
template <class T>
class ComRef {
public:
    ComRef() = default;
    // Takes a new reference to ptr.
    explicit ComRef(T* ptr) { Assign(ptr); }
    ~ComRef() { Reset(); }
    ComRef(const ComRef& other) : ptr_(other.ptr_) {
        if (ptr_) ptr_->AddRef();
    }
    ComRef& operator=(const ComRef& other) {
        if (other.ptr_) other.ptr_->AddRef();
        Reset();
        ptr_ = other.ptr_;
        return *this;
    }

    // Takes a new reference to ptr.
    void Assign(T* ptr) {
        if (ptr) ptr->AddRef();
        Reset();
        ptr_ = ptr;
    }
    void Reset() {
        if (T* ptr = std::exchange(ptr_, nullptr)) ptr->Release();
    }
    // For out parameters: releases the current reference first.
    T** Receive() {
        Reset();
        return &ptr_;
    }
    // Holds the queried interface only when the query succeeds, whatever a
    // failing object left in its out pointer.
    HRESULT QueryFrom(IUnknown* source, REFIID iid) {
        Reset();
        if (!source) return E_POINTER;
        void* object = nullptr;
        HRESULT hr = source->QueryInterface(iid, &object);
        if (SUCCEEDED(hr)) ptr_ = static_cast<T*>(object);
        return hr;
    }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

private:
    T* ptr_ = nullptr;
};
