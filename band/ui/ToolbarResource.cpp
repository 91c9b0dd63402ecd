#include "ui/ToolbarResource.h"

namespace {
const char* const kToolbarType = MAKEINTRESOURCEA(241);
const size_t kHeaderWords = 4;
}  // namespace

ToolbarResource::ToolbarResource(HINSTANCE module, UINT id) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), kToolbarType);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto words = static_cast<const WORD*>(loaded ? LockResource(loaded) : nullptr);
    size_t available = found ? SizeofResource(module, found) / sizeof(WORD) : 0;
    if (!words || available < kHeaderWords || words[0] != 1) return;
    // The entry count comes from the file: never read past the resource.
    size_t count = words[3];
    if (count > available - kHeaderWords) count = available - kHeaderWords;
    version_ = words[0];
    width_ = words[1];
    height_ = words[2];
    commands_.assign(words + kHeaderWords, words + kHeaderWords + count);
}

int ToolbarResource::ImageOf(UINT command) const {
    int image = 0;
    for (WORD entry : commands_) {
        if (entry == 0) continue;
        if (entry == command) return image;
        ++image;
    }
    return -1;
}
