#include "server/SettingsKey.h"

#include "res/resource.h"

const char kSettingsKeyPath[] = "Software\\Varnel R&D\\RSS";
const char kStyleSheetValue[] = "CSS";
const char kUpdateIntervalValue[] = "UpdateInterval";

SettingsKey::SettingsKey() {
    HKEY key = nullptr;
    LONG status =
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) key_.Reset(key);
}

DWORD SettingsKey::ReadDword(const char* name, DWORD fallback) const {
    if (!key_) return fallback;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG status =
        RegQueryValueExA(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return fallback;
    return value;
}

bool SettingsKey::WriteDword(const char* name, DWORD value) {
    if (!key_) return false;
    return RegSetValueExA(key_.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

DWORD SettingsKey::StyleSheet() const {
    DWORD sheet = ReadDword(kStyleSheetValue, kDefaultStyleSheet);
    return sheet <= ID_STYLE_SHEET_LAST - ID_STYLE_SHEET_FIRST ? sheet : kDefaultStyleSheet;
}
