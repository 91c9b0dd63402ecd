#pragma once
#include <windows.h>

// The host toolbar's named shared block with the current user number and
// logged-in flag. Creating it while it exists opens the existing block.
class HostUserBlock {
public:
    HostUserBlock() = default;
    ~HostUserBlock() { Close(); }
    HostUserBlock(const HostUserBlock&) = delete;
    HostUserBlock& operator=(const HostUserBlock&) = delete;

    bool Create(DWORD userNumber, bool loggedIn);
    void Set(DWORD userNumber, bool loggedIn);
    void Close();
    bool IsOpen() const { return view_ != nullptr; }

private:
    HANDLE mapping_ = nullptr;
    void* view_ = nullptr;
};
