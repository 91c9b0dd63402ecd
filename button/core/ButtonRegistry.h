#pragma once
#include <windows.h>

#include <vector>

struct ToolbarHost;
class RssButton;

// The process's table from host key to button object. Every operation holds
// the lock for the table access only, never while a button handles a
// message. The table does not own the buttons.
class ButtonRegistry {
public:
    ButtonRegistry();
    ~ButtonRegistry();
    ButtonRegistry(const ButtonRegistry&) = delete;
    ButtonRegistry& operator=(const ButtonRegistry&) = delete;

    RssButton* Find(const ToolbarHost* key);
    // False when the key is already present or memory runs out.
    bool Insert(const ToolbarHost* key, RssButton* button);
    // The button that was entered for key, or null; the entry is gone.
    RssButton* Remove(const ToolbarHost* key);
    size_t Count();

private:
    struct Entry {
        const ToolbarHost* key;
        RssButton* button;
    };
    class Lock;

    std::vector<Entry>::iterator Locate(const ToolbarHost* key);

    CRITICAL_SECTION lock_;
    std::vector<Entry> entries_;
};
