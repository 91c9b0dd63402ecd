#include "server/OptionsCommands.h"

#include "res/resource.h"
#include "server/SettingsKey.h"
#include "server/StyleSheetList.h"

bool IsStyleSheetCommand(UINT id) {
    WORD command = LOWORD(id);
    return command >= ID_STYLE_SHEET_FIRST && command <= ID_STYLE_SHEET_LAST;
}

bool IsIntervalCommand(UINT id) {
    WORD command = LOWORD(id);
    return command >= ID_INTERVAL_FIRST && command <= ID_INTERVAL_LAST;
}

std::string ActiveStyleSheetPath() {
    char folder[MAX_PATH] = "";
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(folder, length) + "rss.css";
}

bool ChooseStyleSheet(UINT id, const StyleSheetList& sheets, const std::string& moduleDirectory) {
    if (!IsStyleSheetCommand(id)) return false;
    WORD command = LOWORD(id);
    SettingsKey settings;
    settings.WriteDword(kStyleSheetValue, command - ID_STYLE_SHEET_FIRST);
    const StyleSheetEntry* sheet = sheets.Find(command);
    if (!sheet) return false;
    std::string target = ActiveStyleSheetPath();
    if (!target.empty()) {
        std::string source = moduleDirectory + sheet->file;
        CopyFileA(source.c_str(), target.c_str(), FALSE);
    }
    return true;
}

void ChooseUpdateInterval(UINT id) {
    if (!IsIntervalCommand(id)) return;
    SettingsKey settings;
    settings.WriteDword(kUpdateIntervalValue, LOWORD(id) - ID_INTERVAL_FIRST);
}

WORD StoredStyleSheetCommand() {
    SettingsKey settings;
    return LOWORD(ID_STYLE_SHEET_FIRST + settings.StyleSheet());
}
