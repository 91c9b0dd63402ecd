#include "server/EngineVersion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "server/Module.h"

namespace {

const DWORD kVersion1080 = 0x01000800;

// The engine's product version string from its version resource, or empty.
std::string ReadProductVersion(const std::string& file) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0) return std::string();
    std::vector<BYTE> info(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, info.data())) return std::string();

    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD)) {
        return std::string();
    }
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\ProductVersion", translation[0],
                  translation[1]);
    char* version = nullptr;
    if (!VerQueryValueA(info.data(), query, reinterpret_cast<void**>(&version), &length) ||
        !version) {
        return std::string();
    }
    return std::string(version, strnlen(version, length));
}

}  // namespace

DWORD PackEngineVersion(const char* productVersion) {
    DWORD packed = 0;
    const char* field = productVersion;
    for (int shift = 24; shift >= 0; shift -= 8) {
        DWORD value = field ? static_cast<DWORD>(std::atoi(field)) & 0xFF : 0;
        packed |= value << shift;
        if (field) field = std::strchr(field, ',');
        if (field) ++field;
    }
    return packed;
}

bool IsNewerEngine(const std::string& modulePath) {
    std::string path = modulePath.empty() ? Module::FileName() : modulePath;
    size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return false;
    path.replace(slash + 1, std::string::npos, "feed.dll");
    std::string version = ReadProductVersion(path);
    return !version.empty() && PackEngineVersion(version.c_str()) > kVersion1080;
}
