#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "core/ToolbarEnvironment.h"
#include "core/ToolbarSharedState.h"
#include "host/HostToolbar.h"
#include "host/HostUserBlock.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

namespace {

std::wstring AppData() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, TRUE);
    return path;
}

std::wstring Parent(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\'));
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::wstring& path) {
    std::wstring from = path + L'\0';  // double NUL ends the list
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

std::wstring DataRoot() {
    wchar_t root[MAX_PATH] = {};
    return ToolbarPath(kToolbarDataRoot, root, MAX_PATH) ? root : L"";
}

// A toolbar window that confirms one user number and records every query.
struct UserQueryWindow {
    static DWORD confirmed;
    static std::vector<LPARAM> queries;
    HWND window = nullptr;

    explicit UserQueryWindow(DWORD user) {
        confirmed = user;
        queries.clear();
        WNDCLASSW cls = {};
        cls.lpfnWndProc = &Proc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"UserQueryWindow";
        RegisterClassW(&cls);
        window = CreateWindowW(L"UserQueryWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    ~UserQueryWindow() { DestroyWindow(window); }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER + 200 && wParam == 0x00B20000) {
            queries.push_back(lParam);
            return static_cast<DWORD>(lParam) == confirmed ? 1 : 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};
DWORD UserQueryWindow::confirmed = 0;
std::vector<LPARAM> UserQueryWindow::queries;

// Child: the data folder as this process sees it, and what the plug-in
// creates there when its button is placed. Answers "<major>|<folder>".
int ReportDataFolder(const std::wstring& outFile) {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);
    wchar_t folder[MAX_PATH] = L"C:\\somewhere\\else.ini";
    RssDataPath(folder, L"");
    HostToolbar host;
    if (!host.Create() || !host.LoadPlugin(BuildPath("button/rssbutton.dll"))) return 2;
    if (host.Send(2) != 1) return 3;
    std::wstring answer = std::to_wstring(version.dwMajorVersion) + L"|" + folder;
    return WriteTextFile(outFile, answer) ? 0 : 4;
}
CHILD_ROLE(L"data-folder", ReportDataFolder);

// Child: the shared user state before and after the host creates its block.
int ReadSharedStateAsHostChanges(const std::wstring&) {
    if (ReadSharedUserNumber() != 0 || ReadSharedLoggedIn() != 0) return 1;
    HostUserBlock block;
    if (!block.Create(77, true)) return 2;
    if (ReadSharedUserNumber() != 77 || ReadSharedLoggedIn() == 0) return 3;
    block.Set(78, false);
    if (ReadSharedUserNumber() != 78 || ReadSharedLoggedIn() != 0) return 4;
    return 0;
}
CHILD_ROLE(L"shared-state", ReadSharedStateAsHostChanges);

struct ChildReport {
    int exitCode = -1;
    DWORD major = 0;
    std::wstring folder;
};

ChildReport RunDataFolderChild(const std::wstring& programName, const std::wstring& version) {
    ChildReport report;
    ProgramCopy copy(programName, version);
    if (!copy.Ok()) return report;
    std::wstring out = TempFilePath(programName + L".txt");
    DeleteFileW(out.c_str());
    report.exitCode = RunChildRole(L"data-folder", out, copy.Path());
    std::wstring text = ReadTextFile(out);
    DeleteFileW(out.c_str());
    size_t bar = text.find(L'|');
    if (bar != std::wstring::npos) {
        report.major = std::stoul(text.substr(0, bar));
        report.folder = text.substr(bar + 1);
    }
    return report;
}

}  // namespace

TEST(ToolbarPath, DataRootIsTheLocalLowSiblingOfApplicationData) {
    std::wstring appData = AppData();
    ASSERT_EQ(appData.substr(appData.rfind(L'\\')), L"\\Roaming");
    EXPECT_EQ(DataRoot(), Parent(appData) + L"\\LocalLow\\OMBERLY\\PembaToolbar");
}

TEST(ToolbarPath, UnknownKindsAndShortBuffersFail) {
    wchar_t path[MAX_PATH] = L"untouched";
    EXPECT_EQ(ToolbarPath(5, path, MAX_PATH), 0);
    EXPECT_EQ(ToolbarPath(kToolbarDataRoot, path, 8), 0);
    EXPECT_EQ(ToolbarPath(kToolbarDataRoot, nullptr, MAX_PATH), 0);
    EXPECT_STREQ(path, L"untouched");
}

TEST(RssDataPath, ReplacesAnyEarlierPathAndCreatesEveryMissingFolder) {
    std::wstring root = DataRoot();
    ASSERT_FALSE(root.empty());
    RemoveTree(Parent(root));  // ...\OMBERLY
    ASSERT_FALSE(Exists(Parent(root)));

    wchar_t path[MAX_PATH] = L"C:\\windows\\temp\\old.ini";
    RssDataPath(path, L"rss.ini");
    EXPECT_EQ(std::wstring(path), root + L"\\RSS\\rss.ini");
    EXPECT_TRUE(IsFolder(root + L"\\RSS"));

    RssDataPath(path, L"");
    EXPECT_EQ(std::wstring(path), root + L"\\RSS");
    RssDataPath(path, nullptr);
    EXPECT_EQ(std::wstring(path), root + L"\\RSS");
}

TEST(CreateDirectoryTree, CreatesNestedFoldersAndRefusesWhatCannotBeAFolder) {
    std::wstring base = TempFilePath(L"tree-test");
    RemoveTree(base);
    EXPECT_EQ(CreateDirectoryTree((base + L"\\a\\b\\c\\").c_str()), 1);
    EXPECT_TRUE(IsFolder(base + L"\\a\\b\\c"));
    EXPECT_EQ(CreateDirectoryTree((base + L"\\a\\b").c_str()), 1);

    std::wstring file = base + L"\\file.txt";
    ASSERT_TRUE(WriteTextFile(file, L"x"));
    EXPECT_EQ(CreateDirectoryTree(file.c_str()), 0);
    EXPECT_EQ(CreateDirectoryTree((file + L"\\below").c_str()), 0);
    EXPECT_EQ(CreateDirectoryTree(L""), 0);
    EXPECT_EQ(CreateDirectoryTree(nullptr), 0);
    EXPECT_EQ(CreateDirectoryTree(L"no-such-relative-folder"), 0);
    RemoveTree(base);
}

TEST(UserIniPath, EachKindNamesItsFileInTheUserFolder) {
    UserQueryWindow toolbar(42);
    std::wstring users = DataRoot() + L"\\users\\42\\";
    RemoveTree(DataRoot() + L"\\users\\42");
    wchar_t path[MAX_PATH];
    const wchar_t* names[] = {L"tb.ini", L"inc.ini", L"up.ini", L"tb.ini"};
    for (int kind = 0; kind < 4; ++kind) {
        ASSERT_EQ(UserIniPath(kind, 42, path, MAX_PATH, toolbar.window, TRUE), 1) << kind;
        EXPECT_EQ(std::wstring(path), users + names[kind]) << kind;
    }
    EXPECT_TRUE(IsFolder(users));
    // Kind 3 is the unconfirmed path: only the first three asked.
    EXPECT_EQ(UserQueryWindow::queries, (std::vector<LPARAM>{42, 42, 42}));

    wcscpy(path, L"untouched");
    EXPECT_EQ(UserIniPath(4, 42, path, MAX_PATH, toolbar.window, TRUE), 0);
    EXPECT_EQ(UserIniPath(-1, 42, path, MAX_PATH, nullptr, TRUE), 0);
    EXPECT_STREQ(path, L"untouched");
    EXPECT_EQ(UserIniPath(0, 42, nullptr, MAX_PATH, nullptr, TRUE), 0);
}

TEST(UserIniPath, AUserTheToolbarDoesNotConfirmBecomesUserZero) {
    UserQueryWindow toolbar(1);
    wchar_t path[MAX_PATH];
    ASSERT_EQ(UserIniPath(0, 7, path, MAX_PATH, toolbar.window, FALSE), 1);
    EXPECT_EQ(std::wstring(path), DataRoot() + L"\\users\\0\\tb.ini");
    ASSERT_EQ(UserIniPath(3, 7, path, MAX_PATH, toolbar.window, FALSE), 1);
    EXPECT_EQ(std::wstring(path), DataRoot() + L"\\users\\7\\tb.ini");
    EXPECT_EQ(UserQueryWindow::queries, (std::vector<LPARAM>{7}));
    // Without a toolbar nothing is confirmed or denied.
    ASSERT_EQ(UserIniPath(1, 7, path, MAX_PATH, nullptr, FALSE), 1);
    EXPECT_EQ(std::wstring(path), DataRoot() + L"\\users\\7\\inc.ini");
}

TEST(UserIniPath, CutsToCapacityAndCreatesOnlyWhenAsked) {
    RemoveTree(DataRoot() + L"\\users\\987654");
    wchar_t path[MAX_PATH];
    ASSERT_EQ(UserIniPath(2, 987654, path, MAX_PATH, nullptr, FALSE), 1);
    EXPECT_FALSE(Exists(DataRoot() + L"\\users\\987654"));
    std::wstring full = path;

    wchar_t small[11];
    wmemset(small, L'#', 11);
    ASSERT_EQ(UserIniPath(2, 987654, small, 10, nullptr, FALSE), 1);
    EXPECT_EQ(std::wstring(small), full.substr(0, 9));
    EXPECT_EQ(small[10], L'#');
}

TEST(ToolbarEnvironment, WindowsXpKeepsTheDataFolderUnderApplicationData) {
    std::wstring xpRoot = AppData() + L"\\OMBERLY";
    RemoveTree(xpRoot);
    ChildReport report = RunDataFolderChild(L"EnvProbeXp.exe", L"winxp");
    ASSERT_EQ(report.exitCode, 0);
    EXPECT_EQ(report.major, 5u);
    EXPECT_EQ(report.folder, xpRoot + L"\\PembaToolbar\\RSS");
    // The plug-in created its store there on a clean profile.
    EXPECT_TRUE(Exists(report.folder + L"\\rss.ini"));
    EXPECT_TRUE(Exists(report.folder + L"\\history.ini"));
    RemoveTree(xpRoot);
}

TEST(ToolbarEnvironment, Windows7UsesLocalLow) {
    ChildReport report = RunDataFolderChild(L"EnvProbe7.exe", L"win7");
    ASSERT_EQ(report.exitCode, 0);
    EXPECT_EQ(report.major, 6u);
    EXPECT_EQ(report.folder, Parent(AppData()) + L"\\LocalLow\\OMBERLY\\PembaToolbar\\RSS");
    EXPECT_TRUE(Exists(report.folder + L"\\rss.ini"));
}

TEST(ToolbarSharedState, ReadsZeroWithoutTheBlockAndFollowsTheHost) {
    EXPECT_EQ(RunChildRole(L"shared-state", L""), 0);
}
