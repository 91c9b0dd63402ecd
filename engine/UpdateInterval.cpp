#include "engine/UpdateInterval.h"

namespace {
const char kSettingsKey[] = "Software\\Varnel R&D\\RSS";
const DWORD kDefaultMinutes = 30;
}  // namespace

DWORD UpdateIntervalMinutes() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return kDefaultMinutes;
    }
    DWORD value = 0, type = 0, size = sizeof value;
    LONG result = RegQueryValueExA(key, "UpdateInterval", nullptr, &type,
                                   reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return kDefaultMinutes;
    return value;
}
