#include "host/HostUserBlock.h"

#include "core/ToolbarSharedState.h"

bool HostUserBlock::Create(DWORD userNumber, bool loggedIn) {
    Close();
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(SharedUserBlock), kSharedUserBlockName);
    if (!mapping_) return false;
    view_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedUserBlock));
    if (!view_) {
        Close();
        return false;
    }
    Set(userNumber, loggedIn);
    return true;
}

void HostUserBlock::Set(DWORD userNumber, bool loggedIn) {
    if (!view_) return;
    auto* block = static_cast<volatile SharedUserBlock*>(view_);
    block->userNumber = userNumber;
    block->loggedIn = loggedIn ? 1 : 0;
}

void HostUserBlock::Close() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    view_ = nullptr;
    mapping_ = nullptr;
}
