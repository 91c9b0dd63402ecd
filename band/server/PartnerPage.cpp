#include "server/PartnerPage.h"

#include <algorithm>
#include <cstring>

#include "server/EngineProtocol.h"

namespace {

bool IsReadable(const MEMORY_BASIC_INFORMATION& region) {
    const DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return region.State == MEM_COMMIT && (region.Protect & kReadable) &&
           !(region.Protect & PAGE_GUARD);
}

// How many of the size bytes at `at` this process can read, up to the first
// page it cannot.
size_t ReadableBytes(const char* at, size_t size) {
    size_t readable = 0;
    while (readable < size) {
        MEMORY_BASIC_INFORMATION region;
        if (!VirtualQuery(at + readable, &region, sizeof region) || !IsReadable(region)) break;
        const char* end = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        readable += std::min<size_t>(size - readable, end - (at + readable));
    }
    return readable;
}

}  // namespace

std::string CopyPartnerPageName(const char* page) {
    if (!page) return std::string();
    char bytes[RSS_PARTNER_PAGE_BYTES];
    size_t readable = ReadableBytes(page, sizeof bytes);
    std::memcpy(bytes, page, readable);
    if (const void* end = std::memchr(bytes, 0, readable)) {
        return std::string(bytes, static_cast<const char*>(end) - bytes);
    }
    // Without a terminator the name is whole only when all 32 bytes are there.
    return readable == sizeof bytes ? std::string(bytes, sizeof bytes) : std::string();
}
