#include "server/PartnerPage.h"

#include <cstring>

#include "server/EngineProtocol.h"

std::string CopyPartnerPageName(const char* page) {
    if (!page) return std::string();
    const void* end = std::memchr(page, 0, RSS_PARTNER_PAGE_BYTES);
    size_t length = end ? static_cast<const char*>(end) - page : RSS_PARTNER_PAGE_BYTES;
    return std::string(page, length);
}
