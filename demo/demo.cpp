// The product at work: a small browser frame of ours hosts the feed button
// (through the host toolbar stand-in) and the explorer bar (through its
// site), and walks a user's session against the local test server. Each
// step is printed; pictures go to %DEMO_OUT% as BMP files.
//
//   demo.exe           the walk with pictures
//   demo.exe --check   the walk alone; the exit code says whether every step was ok
//   --engine=FILE      the walk starts this Feed.dll (of either build) instead of the
//                      one beside rssband.dll
//   --leave-out-manage the walk ends before the manage dialog
//   --camera=DEMO_EXE  pictures are taken by this demo.exe (of the x86_64 build), which
//                      is run as DEMO_EXE --save-screen-area=LEFT,TOP,RIGHT,BOTTOM FILE
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "BandSteps.h"
#include "ButtonSteps.h"
#include "DemoSession.h"
#include "DemoWalk.h"
#include "PageLoader.h"
#include "Screenshot.h"
#include "browser/WebBrowserStandin.h"
#include "core/HostProtocol.h"
#include "core/ToolbarEnvironment.h"
#include "feeds/StoreFile.h"
#include "plugin/PluginSwitches.h"

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::wstring DataFolder() {
    wchar_t root[MAX_PATH] = L"";
    if (!ToolbarPath(kToolbarDataRoot, root, MAX_PATH)) return L"";
    return std::wstring(root) + L"\\RSS";
}

// A path as Windows sees it: a Unix path lies on drive Z:.
std::wstring WindowsPath(std::wstring path) {
    for (wchar_t& ch : path)
        if (ch == L'/') ch = L'\\';
    if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
    return path;
}

// $DEMO_OUT as a Windows path; out\demo when unset.
std::wstring PictureFolder() {
    wchar_t value[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"DEMO_OUT", value, MAX_PATH)) lstrcpyW(value, L"out\\demo");
    std::wstring folder = WindowsPath(value);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// The walk starts from a user without subscriptions.
void EmptyStore(const std::wstring& data) {
    CreateDirectoryTree(data.c_str());
    std::wstring rssIni = data + L"\\rss.ini";
    CreateUnicodeIniFile(rssIni.c_str());
    CreateUnicodeIniFile((data + L"\\history.ini").c_str());
    WriteIniNumber(rssIni.c_str(), L"main", L"count", 0);
}

class StoredSheet {
public:
    StoredSheet() { Access(false); }
    ~StoredSheet() { Access(true); }

private:
    void Access(bool write) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Varnel R&D\\RSS", 0, nullptr, 0,
                            KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return;
        }
        DWORD size = sizeof value_;
        if (write) {
            RegSetValueExA(key, "CSS", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value_), size);
        } else {
            RegQueryValueExA(key, "CSS", nullptr, nullptr, reinterpret_cast<BYTE*>(&value_), &size);
            DWORD first = 0;
            RegSetValueExA(key, "CSS", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&first), size);
        }
        RegCloseKey(key);
    }
    DWORD value_ = 0;
};

bool StartButton(DemoSession& s) {
    HostToolbar::Options options;
    options.showFrame = false;
    if (!s.host.Create(options)) return false;
    if (!s.host.LoadPlugin(s.programFolder + L"plugin\\rssbutton.dll")) return false;
    RECT placement = {10, 10, 1030, 730};
    if (!s.frame.Create(s.host.Browser(), placement)) return false;
    s.frame.PlaceToolbar(s.host.Frame());
    s.host.Send(kCodeAttach);
    s.host.Send(kCodePlaced);
    s.host.Send(kCodeVisibility, 1);
    s.host.QueryIcon();
    // The store is empty: the stale refresh would have nothing to do, and
    // the walk refreshes by hand.
    s.host.KillPluginTimer(kTimerStaleRefresh);
    s.LetPaint();
    return true;
}

void Walk(DemoSession& s, bool leaveOutManage) {
    SubscribeFromPage(s);
    OpenButtonMenu(s);
    ReadItem(s);
    RefreshAll(s);
    OpenBand(s);
    ShowEngineTree(s);
    UpdateChannel(s);
    ShowChannelPage(s);
    SwitchStyleSheet(s);
    MarkAsRead(s);
    RemoveChannel(s);
    if (leaveOutManage)
        PrintText(L"demo: left out: manage and remove a subscription\n");
    else
        ManageAndRemove(s);
}

struct Options {
    bool check = false;
    bool leaveOutManage = false;
    std::wstring engineFile;
    std::wstring camera;
};

// Takes a switch "--name=VALUE" as a Windows path; other arguments leave value as it is.
void PathSwitch(const std::wstring& arg, const wchar_t* name, std::wstring& value) {
    std::wstring prefix = std::wstring(L"--") + name + L"=";
    if (arg.compare(0, prefix.size(), prefix) == 0) value = WindowsPath(arg.substr(prefix.size()));
}

Options ReadOptions(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--check") options.check = true;
        if (arg == L"--leave-out-manage") options.leaveOutManage = true;
        PathSwitch(arg, L"engine", options.engineFile);
        PathSwitch(arg, L"camera", options.camera);
    }
    return options;
}

int Run(const Options& options) {
    DemoWalk walk(options.check ? L"" : PictureFolder(), options.camera);
    DemoSession s(walk);
    s.programFolder = ProgramFolder();
    s.engineFile = options.engineFile;
    s.dataFolder = DataFolder();
    EmptyStore(s.dataFolder);
    StoredSheet sheet;
    // The web reader the add dialogs subscribe in is the test server's: the
    // walk's plug-in is built with the tests' switches, the shipped one has
    // no such switch.
    SetEnvironmentVariableW(kReaderServiceTestVariable, ServerAddress(L"").c_str());
    PrintText(std::wstring(L"demo: the ") + (sizeof(void*) == 4 ? L"i686" : L"x86_64") +
              L" build; engine " + (s.engineFile.empty() ? L"beside rssband.dll" : s.engineFile) +
              L"\n");
    PrintText(
        L"demo: browser frame with rssbutton.dll in the host toolbar and rssband.dll as "
        L"explorer bar; test server " +
        ServerAddress(L"/") + L"\n");
    if (!StartButton(s)) {
        walk.Step(L"start the frame and the button", false, L"the host toolbar or plug-in failed");
        return walk.Summary();
    }
    Walk(s, options.leaveOutManage);
    CloseBand(s);
    s.host.Send(kCodeUnload);
    return walk.Summary();
}

// Runs the walk, or takes one picture for a walk that cannot (--save-screen-area).
int RunWith(int argc, wchar_t** argv) {
    RECT area;
    std::wstring picture;
    if (ParseSaveScreenArea(argc, argv, area, picture))
        return SaveScreenArea(area, picture) ? 0 : 1;
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    int result = 1;
    try {
        result = Run(ReadOptions(argc, argv));
    } catch (...) {
        PrintText(L"demo: stopped by an unexpected error\n");
    }
    CoUninitialize();
    return result;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    int result = RunWith(argc, argv);
    LocalFree(argv);
    return result;
}
