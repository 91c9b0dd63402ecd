#pragma once
// Owner of one handle of the kind Traits describes: Traits::Handle is its
// type, null is none, and Traits::Close(handle) frees it. The handle goes
// with the owner, or with the next Reset.
template <class Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }

    // Frees the handle held and takes handle (null: none).
    void Reset(Handle handle = nullptr) {
        if (handle_ && handle_ != handle) Traits::Close(handle_);
        handle_ = handle;
    }
    // Hands the handle over to the caller; the owner holds none.
    Handle Release() {
        Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    // For out-parameters: frees the handle held first.
    Handle* Receive() {
        Reset();
        return &handle_;
    }
    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};
