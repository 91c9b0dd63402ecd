#include "core/ButtonRegistry.h"

#include <new>

class ButtonRegistry::Lock {
public:
    explicit Lock(CRITICAL_SECTION* section) : section_(section) { EnterCriticalSection(section_); }
    ~Lock() { LeaveCriticalSection(section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION* section_;
};

ButtonRegistry::ButtonRegistry() {
    InitializeCriticalSection(&lock_);
}

ButtonRegistry::~ButtonRegistry() {
    DeleteCriticalSection(&lock_);
}

std::vector<ButtonRegistry::Entry>::iterator ButtonRegistry::Locate(const ToolbarHost* key) {
    auto it = entries_.begin();
    while (it != entries_.end() && it->key != key) ++it;
    return it;
}

RssButton* ButtonRegistry::Find(const ToolbarHost* key) {
    Lock lock(&lock_);
    auto it = Locate(key);
    return it == entries_.end() ? nullptr : it->button;
}

bool ButtonRegistry::Insert(const ToolbarHost* key, RssButton* button) {
    Lock lock(&lock_);
    if (Locate(key) != entries_.end()) return false;
    try {
        entries_.push_back({key, button});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

RssButton* ButtonRegistry::Remove(const ToolbarHost* key) {
    Lock lock(&lock_);
    auto it = Locate(key);
    if (it == entries_.end()) return nullptr;
    RssButton* button = it->button;
    entries_.erase(it);
    return button;
}

size_t ButtonRegistry::Count() {
    Lock lock(&lock_);
    return entries_.size();
}
