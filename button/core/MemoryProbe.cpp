#include "core/MemoryProbe.h"

#include <cstdint>

namespace {

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kWritable =
    PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

bool HasAccess(const void* address, size_t size, DWORD access) {
    if (!address) return false;
    auto start = reinterpret_cast<uintptr_t>(address);
    if (size == 0) return true;
    if (start + size < start) return false;
    uintptr_t end = start + size;
    // One region at a time: a range may span regions of different protection.
    for (uintptr_t at = start; at < end;) {
        MEMORY_BASIC_INFORMATION info = {};
        if (!VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof(info))) return false;
        if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) ||
            !(info.Protect & access)) {
            return false;
        }
        uintptr_t regionEnd = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (regionEnd <= at) return false;
        at = regionEnd;
    }
    return true;
}

}  // namespace

bool IsReadableMemory(const void* address, size_t size) {
    return HasAccess(address, size, kReadable);
}

bool IsWritableMemory(void* address, size_t size) {
    return HasAccess(address, size, kWritable);
}

std::wstring CopyHostString(const wchar_t* text, size_t maxLength) {
    std::wstring copy;
    if (!text) return copy;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const uintptr_t pageMask = system.dwPageSize - 1;
    for (size_t i = 0; i < maxLength; ++i) {
        const wchar_t* at = text + i;
        bool pageStart = i == 0 || (reinterpret_cast<uintptr_t>(at) & pageMask) == 0;
        if (pageStart && !IsReadableMemory(at, sizeof(wchar_t))) break;
        if (!*at) break;
        copy.push_back(*at);
    }
    return copy;
}
