#pragma once
// The band's per-user settings: HKCU\Software\Varnel R&D\RSS, opened (and
// created when missing) for every access and closed again, so that several
// bands and the engine always see each other's last write.
#include <windows.h>

#include "common/RegKeyHandle.h"

extern const char kSettingsKeyPath[];
extern const char kStyleSheetValue[];      // "CSS": style sheet command - 11000
extern const char kUpdateIntervalValue[];  // "UpdateInterval": minutes, 0 = never

const DWORD kDefaultStyleSheet = 0;
const DWORD kDefaultUpdateInterval = 30;

class SettingsKey {
public:
    SettingsKey();

    bool IsOpen() const { return static_cast<bool>(key_); }

    // A missing value, one of another type or size, or a closed key gives
    // the fallback.
    DWORD ReadDword(const char* name, DWORD fallback) const;
    // Failures are not reported to the user; the result is for tests.
    bool WriteDword(const char* name, DWORD value);

    // A value beyond the sheets' commands (0-100) reads as the first sheet:
    // 11000 + it would name another command.
    DWORD StyleSheet() const;
    DWORD UpdateInterval() const { return ReadDword(kUpdateIntervalValue, kDefaultUpdateInterval); }

private:
    RegKeyHandle key_;
};
