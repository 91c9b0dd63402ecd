// Loads rssbutton.dll into the host toolbar stand-in, places and shows the
// button the way the host does, and prints what the plug-in did.
#include <windows.h>

#include <cstdio>
#include <string>

#include "browser/WebBrowserStandin.h"
#include "core/HostProtocol.h"
#include "core/ToolbarEnvironment.h"
#include "host/HostToolbar.h"

namespace {

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

// The plug-in's data folder, as the host's users find it.
std::wstring DataFolder() {
    wchar_t root[MAX_PATH] = {};
    if (!ToolbarPath(kToolbarDataRoot, root, MAX_PATH)) return L"";
    return std::wstring(root) + L"\\RSS";
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Report(const char* step, LONG result) {
    std::printf("  %-34s -> %ld\n", step, result);
}

}  // namespace

int main() {
    // The button sits in the demo's folder tree: build/<arch>/demo/ and
    // build/<arch>/button/rssbutton.dll.
    std::wstring plugin = ModuleFolder() + L"\\..\\button\\rssbutton.dll";
    std::wstring data = DataFolder();
    bool hadStore = Exists(data + L"\\rss.ini");

    HostToolbar host;
    HostToolbar::Options options;
    options.userNumber = 1001;
    options.buttonName = L"RSS";
    if (!host.Create(options)) {
        std::printf("demo: cannot create the host toolbar\n");
        return 1;
    }
    if (!host.LoadPlugin(plugin)) {
        std::printf("demo: cannot load %ls\n", plugin.c_str());
        return 1;
    }
    std::printf("demo: host toolbar with button %u, user %lu; plug-in %ls\n", options.commandId,
                options.userNumber, plugin.c_str());

    std::printf("host messages:\n");
    Report("1  attach", host.Send(kCodeAttach));
    Report("2  button placed", host.Send(kCodePlaced));
    Report("13 visibility (shown)", host.Send(kCodeVisibility, 1));
    IconQuery icon = host.QueryIcon();
    std::printf("  %-34s -> %s\n", "6  icon query",
                (icon.mask & kIconQuerySetsIcon) && icon.icon ? "icon set (no feed on this page)"
                                                              : "left unanswered");
    host.Pump(200);

    std::printf("what the plug-in did:\n");
    std::printf("  asked the host for the login      %d time(s)\n", host.Host()->LoginQueries());
    std::printf("  asked the toolbar to confirm user %lu %u time(s)\n", options.userNumber,
                static_cast<unsigned>(host.UserQueries().size()));
    std::printf("  data folder                       %ls\n", data.c_str());
    std::printf("  store files                       rss.ini %s, history.ini %s%s\n",
                Exists(data + L"\\rss.ini") ? "present" : "MISSING",
                Exists(data + L"\\history.ini") ? "present" : "MISSING",
                hadStore ? " (already there)" : " (created now)");
    std::printf("  browser event sinks connected     %u\n",
                static_cast<unsigned>(host.Browser()->SinkCount()));

    bool armed = host.KillPluginTimer(kTimerStaleRefresh);
    std::printf("  stale-refresh timer 0x4002 armed  %s\n", armed ? "yes (3 s)" : "no");
    // Re-armed shorter, so that the relay shows without a three-second wait.
    if (armed) SetTimer(host.Toolbar(), kTimerStaleRefresh, 100, nullptr);
    host.Pump(300);
    for (UINT_PTR id : host.RelayedTimers())
        std::printf("  host relayed timer 0x%04X as command (code 12)\n",
                    static_cast<unsigned>(id));

    Report("21 unload", host.Send(kCodeUnload));
    std::printf("  browser event sinks after unload  %u\n",
                static_cast<unsigned>(host.Browser()->SinkCount()));
    return 0;
}
