#pragma once
#include <windows.h>
#include <unknwn.h>

#include <utility>

// Owns one counted reference to a COM interface.
template <class T>
class ComRef {
public:
    ComRef() = default;
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
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

private:
    T* ptr_ = nullptr;
};
