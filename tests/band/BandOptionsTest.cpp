// The options menu and its commands: the settings key, the style sheet and
// update interval choices, and the menu built from resource 1300.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

#include "res/resource.h"
#include "server/OptionsCommands.h"
#include "server/OptionsMenu.h"
#include "server/SettingsKey.h"
#include "server/StyleSheetList.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string ReadFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "<missing>";
    std::string bytes;
    char buffer[256];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

void DeleteSettings() {
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
}

void StoreRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void StoreDword(const char* name, DWORD value) {
    StoreRaw(name, REG_DWORD, &value, sizeof(value));
}

// DWORD as stored, or -1 when missing or not a DWORD.
long long Stored(const char* name) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (SHGetValueA(HKEY_CURRENT_USER, kSettingsKeyPath, name, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return -1;
    }
    return value;
}

std::wstring ItemText(HMENU menu, int position) {
    wchar_t text[100] = L"";
    GetMenuStringW(menu, position, text, 100, MF_BYPOSITION);
    return text;
}

// Commands of the radio-checked items of a menu and its submenus, in order.
std::vector<UINT> CheckedCommands(HMENU menu) {
    std::vector<UINT> checked;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            std::vector<UINT> inner = CheckedCommands(sub);
            checked.insert(checked.end(), inner.begin(), inner.end());
            continue;
        }
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        if (info.fState & MFS_CHECKED) {
            EXPECT_TRUE(info.fType & MFT_RADIOCHECK) << info.wID;
            checked.push_back(info.wID);
        }
    }
    return checked;
}

// A module directory with css\css.txt and sheets, and a temporary folder
// (TMP and TEMP point there) that receives rss.css. The settings key starts
// missing.
class BandOptionsTest : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        savedTmp_ = Env("TMP");
        savedTemp_ = Env("TEMP");
        root_ = std::string(temp) + "BandOptionsTest\\";
        module_ = root_ + "module\\";
        temp_ = root_ + "temp\\";
        for (const std::string& dir : {root_, module_, module_ + "css", temp_}) {
            CreateDirectoryA(dir.c_str(), nullptr);
        }
        SetEnvironmentVariableA("TMP", temp_.c_str());
        SetEnvironmentVariableA("TEMP", temp_.c_str());
        WriteFile(module_ + "css\\blue.css", "body { color: blue; }");
        WriteFile(module_ + "css\\a;b.css", "body { color: green; }");
        DeleteSettings();
    }

    void TearDown() override {
        DeleteSettings();
        SetEnvironmentVariableA("TMP", savedTmp_.empty() ? nullptr : savedTmp_.c_str());
        SetEnvironmentVariableA("TEMP", savedTemp_.empty() ? nullptr : savedTemp_.c_str());
        RemoveTree(root_);
    }

    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(dir + name + "\\");
                } else {
                    DeleteFileA((dir + name).c_str());
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(dir.c_str());
    }

    static std::string Env(const char* name) {
        char value[MAX_PATH] = "";
        DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
        return length && length < MAX_PATH ? value : "";
    }

    StyleSheetList Sheets(const std::string& lines) {
        WriteFile(module_ + "css\\css.txt", lines);
        StyleSheetList list;
        list.Read(module_);
        return list;
    }

    std::string ActiveSheet() { return ReadFile(temp_ + "rss.css"); }

    HINSTANCE Resources() { return GetModuleHandleW(nullptr); }

    std::string root_, module_, temp_, savedTmp_, savedTemp_;
};

TEST_F(BandOptionsTest, MissingValuesReadAsDefaultsAndTheKeyIsCreated) {
    {
        SettingsKey settings;
        ASSERT_TRUE(settings.IsOpen());
        EXPECT_EQ(settings.StyleSheet(), 0u);
        EXPECT_EQ(settings.UpdateInterval(), 30u);
    }
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(Stored(kStyleSheetValue), -1);
}

TEST_F(BandOptionsTest, ValuesOfTheWrongTypeOrSizeReadAsDefaults) {
    StoreRaw(kStyleSheetValue, REG_SZ, "5", 2);
    BYTE one = 10;
    StoreRaw(kUpdateIntervalValue, REG_BINARY, &one, 1);
    SettingsKey settings;
    EXPECT_EQ(settings.StyleSheet(), 0u);
    EXPECT_EQ(settings.UpdateInterval(), 30u);

    ULONGLONG wide = 60;
    StoreRaw(kUpdateIntervalValue, REG_QWORD, &wide, sizeof(wide));
    DWORD four = 2;
    StoreRaw(kStyleSheetValue, REG_BINARY, &four, sizeof(four));
    EXPECT_EQ(settings.UpdateInterval(), 30u);
    EXPECT_EQ(settings.StyleSheet(), 0u);
}

TEST_F(BandOptionsTest, MenuWithoutStoredIntervalChecksThirtyMinutes) {
    StyleSheetList none;
    OptionsMenu menu(Resources(), none);
    ASSERT_NE(menu.Popup(), nullptr);
    // No sheets: just the separator and the interval submenu.
    ASSERT_EQ(GetMenuItemCount(menu.Popup()), 2);
    EXPECT_EQ(GetMenuState(menu.Popup(), 0, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_EQ(ItemText(menu.Popup(), 1), L"自动更新时间间隔");
    HMENU intervals = GetSubMenu(menu.Popup(), 1);
    ASSERT_NE(intervals, nullptr);
    EXPECT_EQ(CheckedCommands(menu.Popup()), std::vector<UINT>{ID_INTERVAL_30});
    EXPECT_EQ(ItemText(intervals, 1), L"30分钟");
}

TEST_F(BandOptionsTest, UnofferedIntervalShowsThirtyAndStaysStored) {
    StoreDword(kUpdateIntervalValue, 15);
    StyleSheetList none;
    OptionsMenu menu(Resources(), none);
    EXPECT_EQ(CheckedCommands(menu.Popup()), std::vector<UINT>{ID_INTERVAL_30});
    EXPECT_EQ(Stored(kUpdateIntervalValue), 15);
}

TEST_F(BandOptionsTest, StoredIntervalsAreChecked) {
    StyleSheetList none;
    for (DWORD minutes : {0u, 10u, 60u}) {
        StoreDword(kUpdateIntervalValue, minutes);
        OptionsMenu menu(Resources(), none);
        EXPECT_EQ(CheckedCommands(menu.Popup()), std::vector<UINT>{ID_INTERVAL_FIRST + minutes});
    }
}

TEST_F(BandOptionsTest, IntervalCommandsStoreTheirMinutes) {
    ChooseUpdateInterval(ID_INTERVAL_NONE);
    EXPECT_EQ(Stored(kUpdateIntervalValue), 0);
    ChooseUpdateInterval(ID_INTERVAL_60);
    EXPECT_EQ(Stored(kUpdateIntervalValue), 60);
    // Only the low 16 bits of wParam name the command.
    ChooseUpdateInterval(MAKEWPARAM(ID_INTERVAL_10, 1));
    EXPECT_EQ(Stored(kUpdateIntervalValue), 10);
    // Nothing is written for ids outside the range, and the sheet is untouched.
    ChooseUpdateInterval(ID_INTERVAL_LAST + 1);
    EXPECT_EQ(Stored(kUpdateIntervalValue), 10);
    EXPECT_EQ(Stored(kStyleSheetValue), -1);
}

TEST_F(BandOptionsTest, SheetsAreInsertedAboveTheSeparatorInListOrder) {
    StyleSheetList sheets = Sheets("11001;Blue;css\\blue.css\n11004;Green;css\\a;b.css\n");
    OptionsMenu menu(Resources(), sheets);
    ASSERT_EQ(GetMenuItemCount(menu.Popup()), 4);
    EXPECT_EQ(ItemText(menu.Popup(), 0), L"Blue");
    EXPECT_EQ(GetMenuItemID(menu.Popup(), 0), 11001u);
    EXPECT_EQ(ItemText(menu.Popup(), 1), L"Green");
    EXPECT_EQ(GetMenuItemID(menu.Popup(), 1), 11004u);
    EXPECT_EQ(GetMenuState(menu.Popup(), 2, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_NE(GetSubMenu(menu.Popup(), 3), nullptr);
    // "CSS" is missing: 11000 is checked, and no sheet has that id.
    EXPECT_EQ(CheckedCommands(menu.Popup()), std::vector<UINT>{ID_INTERVAL_30});
}

TEST_F(BandOptionsTest, ChoosingASheetStoresItCopiesItAndAsksForAReload) {
    StyleSheetList sheets = Sheets("11001;Blue;css\\blue.css\n");
    EXPECT_TRUE(ChooseStyleSheet(11001, sheets, module_));
    EXPECT_EQ(Stored(kStyleSheetValue), 1);
    EXPECT_EQ(ActiveSheet(), "body { color: blue; }");
    OptionsMenu menu(Resources(), sheets);
    EXPECT_EQ(CheckedCommands(menu.Popup()), (std::vector<UINT>{11001, ID_INTERVAL_30}));
    EXPECT_EQ(StoredStyleSheetCommand(), 11001);
}

TEST_F(BandOptionsTest, SheetFileNameWithSemicolonIsCopiedWhole) {
    StyleSheetList sheets = Sheets("11004;Green;css\\a;b.css\n");
    EXPECT_TRUE(ChooseStyleSheet(11004, sheets, module_));
    EXPECT_EQ(ActiveSheet(), "body { color: green; }");
}

TEST_F(BandOptionsTest, DuplicateIdsShowBothAndApplyTheFirst) {
    StyleSheetList sheets = Sheets("11001;Blue;css\\blue.css\n11001;Green;css\\a;b.css\n");
    StoreDword(kStyleSheetValue, 1);
    OptionsMenu menu(Resources(), sheets);
    ASSERT_EQ(GetMenuItemCount(menu.Popup()), 4);
    EXPECT_EQ(ItemText(menu.Popup(), 1), L"Green");
    EXPECT_EQ(CheckedCommands(menu.Popup()), (std::vector<UINT>{11001, ID_INTERVAL_30}));
    EXPECT_TRUE(ChooseStyleSheet(11001, sheets, module_));
    EXPECT_EQ(ActiveSheet(), "body { color: blue; }");
}

TEST_F(BandOptionsTest, StoredSheetWithoutListEntryChecksNothingAndCopiesNothing) {
    StyleSheetList sheets = Sheets("11001;Blue;css\\blue.css\n");
    StoreDword(kStyleSheetValue, 3);
    WriteFile(temp_ + "rss.css", "previous");
    OptionsMenu menu(Resources(), sheets);
    EXPECT_EQ(CheckedCommands(menu.Popup()), std::vector<UINT>{ID_INTERVAL_30});
    // What the pane sends itself at creation.
    WORD command = StoredStyleSheetCommand();
    EXPECT_EQ(command, 11003);
    EXPECT_FALSE(ChooseStyleSheet(command, sheets, module_));
    EXPECT_EQ(Stored(kStyleSheetValue), 3);
    EXPECT_EQ(ActiveSheet(), "previous");
}

TEST_F(BandOptionsTest, MissingSheetFileStillStoresAndAsksForAReload) {
    StyleSheetList sheets = Sheets("11002;Gone;css\\gone.css\n");
    WriteFile(temp_ + "rss.css", "previous");
    EXPECT_TRUE(ChooseStyleSheet(11002, sheets, module_));
    EXPECT_EQ(Stored(kStyleSheetValue), 2);
    EXPECT_EQ(ActiveSheet(), "previous");
}

TEST_F(BandOptionsTest, WithoutAListSheetCommandsOnlyStore) {
    DeleteFileA((module_ + "css\\css.txt").c_str());
    StyleSheetList sheets;
    sheets.Read(module_);
    EXPECT_FALSE(ChooseStyleSheet(ID_STYLE_SHEET_FIRST, sheets, module_));
    EXPECT_EQ(Stored(kStyleSheetValue), 0);
    EXPECT_EQ(ActiveSheet(), "<missing>");
}

// 11000 + a value beyond 100 would be another command: 11200-11260 set the
// update interval, others reach the browser's band host.
TEST_F(BandOptionsTest, StoredSheetOutOfRangeReadsAsTheFirst) {
    StyleSheetList sheets = Sheets("11000;Plain;css\\blue.css\n11001;Blue;css\\blue.css\n");
    for (DWORD value : {101u, 150u, 230u, 0xFFFFFFFFu}) {
        StoreDword(kStyleSheetValue, value);
        EXPECT_EQ(SettingsKey().StyleSheet(), 0u) << value;
        EXPECT_EQ(StoredStyleSheetCommand(), ID_STYLE_SHEET_FIRST) << value;
        OptionsMenu menu(Resources(), sheets);
        EXPECT_EQ(CheckedCommands(menu.Popup()), (std::vector<UINT>{11000, ID_INTERVAL_30}))
            << value;
    }
    StoreDword(kStyleSheetValue, 100);
    EXPECT_EQ(StoredStyleSheetCommand(), ID_STYLE_SHEET_LAST);
}

TEST_F(BandOptionsTest, RadioCheckMovesWithinItsRangeOnly) {
    StyleSheetList sheets = Sheets("11000;A;css\\blue.css\n11001;B;css\\blue.css\n");
    OptionsMenu menu(Resources(), sheets);
    EXPECT_EQ(CheckedCommands(menu.Popup()), (std::vector<UINT>{11000, ID_INTERVAL_30}));
    EXPECT_TRUE(
        CheckRadioByCommand(menu.Popup(), ID_STYLE_SHEET_FIRST, ID_STYLE_SHEET_LAST, 11001));
    EXPECT_EQ(CheckedCommands(menu.Popup()), (std::vector<UINT>{11001, ID_INTERVAL_30}));
    EXPECT_TRUE(
        CheckRadioByCommand(menu.Popup(), ID_INTERVAL_FIRST, ID_INTERVAL_LAST, ID_INTERVAL_NONE));
    EXPECT_EQ(CheckedCommands(menu.Popup()), (std::vector<UINT>{11001, ID_INTERVAL_NONE}));
    EXPECT_FALSE(
        CheckRadioByCommand(menu.Popup(), ID_STYLE_SHEET_FIRST, ID_STYLE_SHEET_LAST, 11050));
    EXPECT_EQ(CheckedCommands(menu.Popup()), (std::vector<UINT>{11001, ID_INTERVAL_NONE}));
}

}  // namespace
