#pragma once
#include <windows.h>

// What the subscribe control in the browser's feed view asks of its button.
class FeedViewOwner {
public:
    // The toolbar window, which relays the control's retry timers to the
    // button.
    virtual HWND OwnerWindow() const = 0;
    // The add dialog for the feed the view shows.
    virtual void OpenAddFeedDialog(const wchar_t* address) = 0;

protected:
    ~FeedViewOwner() = default;
};
