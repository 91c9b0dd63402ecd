#pragma once
// Owner of one COM reference.
#include <objbase.h>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* held) : p_(held) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr& operator=(const ComPtr& other) {
        Reset(other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Holds `held`, adding a reference; null releases.
    void Reset(T* held = nullptr) {
        if (held) held->AddRef();
        T* old = p_;
        p_ = held;
        if (old) old->Release();
    }
    // For out-parameters that hand over a reference already counted.
    T** Receive() {
        Reset();
        return &p_;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};
