#pragma once
// Helpers of the menu and refresh tests: a store written straight into the
// plug-in's data folder, the real plug-in in the host toolbar stand-in, and
// a second process that holds the session's refresh mutex.
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "FeedTestSupport.h"
#include "core/HostProtocol.h"
#include "feeds/FeedCache.h"
#include "feeds/StoreFile.h"
#include "host/HostToolbar.h"
#include "support/ModuleSection.h"
#include "support/TestPaths.h"

namespace scene {

constexpr wchar_t kRefreshMutex[] = L"RssUpdate{e1378540-34b0-44b5-8498-d4a24a97435}";
constexpr wchar_t kReleaseEvent[] = L"RssSceneReleaseMutex";

inline std::wstring RssIni() {
    return feedtest::DataFile(L"rss.ini");
}
inline std::wstring HistoryIni() {
    return feedtest::DataFile(L"history.ini");
}

struct Subscription {
    std::wstring title;
    std::wstring xmlUrl;
    std::wstring htmlUrl;
    long updTime = 0;  // 0: no stamp written
};

// A fresh store holding exactly these subscriptions, without caches.
inline void WriteStore(const std::vector<Subscription>& subscriptions) {
    feedtest::ClearDataFolder();
    std::wstring rss = RssIni();
    CreateUnicodeIniFile(rss.c_str());
    CreateUnicodeIniFile(HistoryIni().c_str());
    WriteIniNumber(rss.c_str(), L"main", L"count", static_cast<long>(subscriptions.size()));
    for (size_t i = 0; i < subscriptions.size(); ++i) {
        std::wstring section = NumberedSection(L"rss", static_cast<int>(i + 1));
        const Subscription& s = subscriptions[i];
        WriteIniString(rss.c_str(), section.c_str(), L"title", s.title);
        WriteIniString(rss.c_str(), section.c_str(), L"xmlUrl", s.xmlUrl);
        if (!s.htmlUrl.empty()) WriteIniString(rss.c_str(), section.c_str(), L"htmlUrl", s.htmlUrl);
        if (s.updTime) WriteIniNumber(rss.c_str(), section.c_str(), L"updTime", s.updTime);
    }
}

inline std::wstring ItemLink(int number, int k) {
    wchar_t link[96];
    swprintf(link, 96, L"http://example.invalid/feed%d/item%d", number, k);
    return link;
}

// The cache of a subscription with items "Item k" linking to ItemLink.
inline void WriteCache(int number, int items) {
    std::wstring cache = FeedCachePath(number);
    CreateUnicodeIniFile(cache.c_str());
    WriteIniString(cache.c_str(), L"main", L"title", L"Feed");
    WriteIniNumber(cache.c_str(), L"main", L"count", items);
    for (int k = 1; k <= items; ++k) {
        std::wstring section = NumberedSection(L"item", k);
        WriteIniString(cache.c_str(), section.c_str(), L"title", L"Item " + std::to_wstring(k));
        WriteIniString(cache.c_str(), section.c_str(), L"link", ItemLink(number, k));
    }
}

inline bool MutexExists() {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kRefreshMutex);
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}

// The plug-in's shared refresh flag as every process sees it.
inline LONG SharedRefreshFlag(HMODULE plugin) {
    size_t size = 0;
    auto* flag = static_cast<volatile LONG*>(FindModuleSection(plugin, ".toolbar", &size));
    return flag && size >= sizeof(LONG) ? *flag : -1;
}

// The real plug-in in a host toolbar; unloads the button at the end.
class Scene {
public:
    explicit Scene(const HostToolbar::Options& options = HostToolbar::Options()) {
        host_ = std::make_unique<HostToolbar>();
        ok_ = host_->Create(options) && host_->LoadPlugin(BuildPath("button/rssbutton.dll"));
        if (ok_) {
            host_->Send(kCodePlaced);
            // The stale refresh is started by the tests that want it.
            host_->KillPluginTimer(kTimerStaleRefresh);
        }
    }
    ~Scene() {
        if (ok_) host_->Send(kCodeUnload);
    }
    bool Ok() const { return ok_; }
    HostToolbar& Host() { return *host_; }

    // Opens the drop-down and dismisses it; the entries the host saw.
    std::vector<MenuEntry> Menu() {
        host_->DropDown();
        return host_->LastMenu();
    }
    std::vector<MenuEntry> Choose(UINT id) {
        HostToolbar::MenuPlan plan;
        plan.choose = id;
        host_->DropDown(plan);
        return host_->LastMenu();
    }
    // Pumps until n notifications arrived or ms passed.
    bool WaitForNotifications(size_t n, DWORD ms = kPatienceMs) {
        for (DWORD waited = 0; waited < ms; waited += 20) {
            if (host_->Notifications().size() >= n) return true;
            host_->Pump(20);
        }
        return host_->Notifications().size() >= n;
    }
    const std::vector<HostToolbar::Notification>& Notifications() { return host_->Notifications(); }

private:
    std::unique_ptr<HostToolbar> host_;
    bool ok_ = false;
};

inline const MenuEntry* FindEntry(const std::vector<MenuEntry>& menu, UINT id) {
    for (const MenuEntry& entry : menu)
        if (!entry.popup && !entry.separator && entry.id == id) return &entry;
    return nullptr;
}

}  // namespace scene
