#include "engine/UpdateInterval.h"

#include "common/RegKeyHandle.h"

namespace {
const char kSettingsKey[] = "Software\\Varnel R&D\\RSS";
const DWORD kDefaultMinutes = 30;
}  // namespace

DWORD UpdateIntervalMinutes() {
    RegKeyHandle key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Receive()) !=
        ERROR_SUCCESS) {
        return kDefaultMinutes;
    }
    DWORD value = 0, type = 0, size = sizeof value;
    LONG result = RegQueryValueExA(key.Get(), "UpdateInterval", nullptr, &type,
                                   reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return kDefaultMinutes;
    return value;
}
