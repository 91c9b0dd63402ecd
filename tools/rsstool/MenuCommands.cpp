// rsstool menu [--choose ID] [--logged-out] [--plugin DLL]: loads the real
// rssbutton.dll into the host toolbar stand-in, opens the button's drop-down
// from the current store and prints it as the host sees it; with --choose,
// chooses that entry and prints what the host was then asked to do.
#include <windows.h>

#include <cwchar>
#include <string>

#include "Command.h"
#include "ToolOutput.h"
#include "browser/WebBrowserStandin.h"
#include "core/HostProtocol.h"
#include "host/HostToolbar.h"

namespace {

// A chosen refresh runs on the button's worker; its end is awaited this long.
constexpr DWORD kRefreshWait = 30000;

std::wstring DefaultPlugin() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder = folder.substr(0, folder.rfind(L'\\'));
    // build/<arch>/tools/rsstool/rsstool.exe beside build/<arch>/button/.
    return folder + L"\\..\\..\\button\\rssbutton.dll";
}

struct MenuOptions {
    UINT choose = 0;
    bool loggedIn = true;
    std::wstring plugin;
};

bool ParseOptions(const CommandArgs& args, MenuOptions* options) {
    options->plugin = DefaultPlugin();
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--choose" && i + 1 < args.size()) {
            options->choose = static_cast<UINT>(wcstoul(args[++i].c_str(), nullptr, 0));
        } else if (args[i] == L"--plugin" && i + 1 < args.size()) {
            options->plugin = args[++i];
        } else if (args[i] == L"--logged-out") {
            options->loggedIn = false;
        } else {
            return false;
        }
    }
    return true;
}

bool RefreshRunning(const HostToolbar& host) {
    bool running = false;
    for (const HostToolbar::Notification& note : host.Notifications()) {
        if (note.wParam == kNotifyRefreshStarted) running = true;
        if (note.wParam == kNotifyRefreshEnded) running = false;
    }
    return running;
}

void PrintHostRequests(HostToolbar& host) {
    wchar_t line[512];
    WriteUtf8(L"host was asked:\n");
    for (const auto& call : host.Host()->OpenedAddresses()) {
        swprintf(line, 512, L"  open address %ls\n", call.address.c_str());
        WriteUtf8(line);
    }
    for (const auto& call : host.Host()->Commands()) {
        swprintf(line, 512, L"  run command \"%ls\" %ld %ld %ld\n", call.command.c_str(), call.a,
                 call.b, call.c);
        WriteUtf8(line);
    }
    for (const auto& note : host.Notifications()) {
        swprintf(line, 512, L"  notification WM_USER+200 0x%08lX, command id 0x%04lX\n",
                 static_cast<unsigned long>(note.wParam), static_cast<unsigned long>(note.lParam));
        WriteUtf8(line);
    }
    for (UINT_PTR id : host.RelayedTimers()) {
        swprintf(line, 512, L"  relayed timer 0x%04X\n", static_cast<unsigned>(id));
        WriteUtf8(line);
    }
    for (UINT_PTR id :
         {kTimerFeedViewInjection, kTimerStaleRefresh, kTimerFeedPropertiesInjection}) {
        if (!host.KillPluginTimer(id)) continue;
        swprintf(line, 512, L"  timer 0x%04X armed\n", static_cast<unsigned>(id));
        WriteUtf8(line);
    }
}

int MenuCommand(const CommandArgs& args) {
    MenuOptions options;
    if (!ParseOptions(args, &options)) {
        WriteError("usage: rsstool menu [--choose ID] [--logged-out] [--plugin DLL]\n");
        return 2;
    }
    HostToolbar host;
    HostToolbar::Options hostOptions;
    hostOptions.loggedIn = options.loggedIn;
    if (!host.Create(hostOptions) || !host.LoadPlugin(options.plugin)) {
        WriteError("rsstool: cannot load the plug-in into the host toolbar\n");
        return 1;
    }
    host.Send(kCodePlaced);
    // The stale refresh would otherwise start while the menu is shown.
    host.KillPluginTimer(kTimerStaleRefresh);

    HostToolbar::MenuPlan plan;
    plan.choose = options.choose;
    LONG shown = host.DropDown(plan);
    if (!shown || host.LastMenu().empty()) {
        WriteError("rsstool: the button showed no menu\n");
        host.Send(kCodeUnload);
        return 1;
    }
    WriteUtf8(DescribeMenu(host.LastMenu()));
    if (options.choose) {
        wchar_t line[64];
        swprintf(line, 64, L"chose 0x%04X\n", options.choose);
        WriteUtf8(line);
        host.Pump(200);
        for (DWORD waited = 0; RefreshRunning(host) && waited < kRefreshWait; waited += 100)
            host.Pump(100);
        PrintHostRequests(host);
    }
    host.Send(kCodeUnload);
    return 0;
}

const CommandRegistration kMenu({L"menu",
                                 "menu [--choose ID] [--logged-out] [--plugin DLL]: "
                                 "the button's drop-down as the host shows it",
                                 MenuCommand});

}  // namespace
