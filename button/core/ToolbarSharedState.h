#pragma once
#include <windows.h>

#include <cstddef>

// The block of shared memory in which the host toolbar publishes who is
// logged in. The host creates it; the plug-in only reads it.
struct SharedUserBlock {
    BYTE reserved[8];
    DWORD userNumber;
    DWORD loggedIn;
    BYTE reserved2[64];
};
static_assert(sizeof(SharedUserBlock) == 80, "the host's block is 80 bytes");
static_assert(offsetof(SharedUserBlock, userNumber) == 8, "user number at 8");
static_assert(offsetof(SharedUserBlock, loggedIn) == 12, "logged-in flag at 12");

inline constexpr wchar_t kSharedUserBlockName[] = L"{138957F9-3748-42b7-884D-1CDE0A092AAA}";

// Keeps one view of the host's block for the process. Opening is retried on
// each read until it succeeds; the view stays mapped until destruction.
class ToolbarSharedState {
public:
    ToolbarSharedState();
    ~ToolbarSharedState();
    ToolbarSharedState(const ToolbarSharedState&) = delete;
    ToolbarSharedState& operator=(const ToolbarSharedState&) = delete;

    DWORD UserNumber();
    DWORD LoggedIn();

private:
    const volatile SharedUserBlock* View();

    CRITICAL_SECTION lock_;
    HANDLE mapping_ = nullptr;
    SharedUserBlock* view_ = nullptr;
};

// The process-wide holder's fields, 0 when the block cannot be opened.
DWORD ReadSharedUserNumber();
DWORD ReadSharedLoggedIn();
