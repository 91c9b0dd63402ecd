#pragma once
// A toolbar resource (type 241): version, image size and the command of each
// entry, 0 for a separator. Pictures of the toolbar bitmap go to the
// non-separators in order.
#include <windows.h>
#include <vector>

class ToolbarResource {
public:
    // Reads resource `id` of module; an unreadable resource gives no entries.
    ToolbarResource(HINSTANCE module, UINT id);

    bool IsLoaded() const { return version_ == 1; }
    int ImageWidth() const { return width_; }
    int ImageHeight() const { return height_; }
    const std::vector<WORD>& Commands() const { return commands_; }

    // The picture of a command, -1 when the command has none.
    int ImageOf(UINT command) const;

private:
    WORD version_ = 0;
    WORD width_ = 0;
    WORD height_ = 0;
    std::vector<WORD> commands_;
};
