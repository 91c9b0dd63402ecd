#include "core/ButtonMenu.h"

#include <string>

#include "core/MenuCommand.h"
#include "core/Module.h"
#include "core/ToolbarEnvironment.h"
#include "feeds/FeedCache.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionImport.h"
#include "feeds/SubscriptionRefresh.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

namespace {

// Entry texts are short; the site entry's format shorter still.
constexpr int kEntryTextLength = 29;
constexpr int kSiteFormatLength = 9;
// The fetch of a feed without cache holds the browser's thread while the menu
// is built: a stalled server may hold it this long at most.
constexpr DWORD kMenuFetchMs = 10000;

std::wstring EntryText(UINT stringId, int capacity = kEntryTextLength) {
    wchar_t text[kEntryTextLength] = L"";
    LoadStringW(ModuleInstance(), stringId, text, capacity);
    return text;
}

void AppendEntry(HMENU menu, UINT id, const std::wstring& text, bool greyed = false) {
    AppendMenuW(menu, MF_STRING | (greyed ? MF_GRAYED : 0), id, text.c_str());
}

void AppendRefreshEntry(HMENU menu, UINT id, UINT textId, bool refreshing) {
    if (refreshing) {
        AppendEntry(menu, id, EntryText(IDS_MENU_REFRESHING), true);
    } else {
        AppendEntry(menu, id, EntryText(textId));
    }
}

std::wstring SiteEntryText(const std::wstring& title) {
    std::wstring format = EntryText(IDS_MENU_OPEN_SITE, kSiteFormatLength);
    // wsprintfW reads the resource's %s as UTF-16 and writes at most 1024
    // characters; the text is then cut like every other.
    wchar_t text[1025] = L"";
    wsprintfW(text, format.c_str(), title.c_str());
    text[MAX_PATH - 1] = L'\0';
    return text;
}

// What the menu reads of the list: [main] and the subscriptions it shows.
// Those beyond, hundreds after an import, cost the drop-down nothing.
bool MenuSection(const std::wstring& section) {
    if (section == L"main") return true;
    if (section.compare(0, 3, L"rss") != 0) return false;
    long number = wcstol(section.c_str() + 3, nullptr, 10);
    return number >= 1 && number <= kMaxMenuSubscriptions;
}

}  // namespace

HMENU LoadButtonMenu(HMENU* popup) {
    *popup = nullptr;
    HMENU menu = LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(IDR_BUTTON_MENU));
    if (!menu) return nullptr;
    *popup = GetSubMenu(menu, 0);
    if (!*popup) {
        DestroyMenu(menu);
        return nullptr;
    }
    RemoveMenu(*popup, 0, MF_BYPOSITION);
    return menu;
}

HMENU BuildSubscriptionMenu(const IniSnapshot& rss, const IniSnapshot& cache, int number,
                            bool refreshing) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    long count = cache.GetNumber(L"main", L"count", 0);
    if (count > kMenuItemsPerFeed) count = kMenuItemsPerFeed;
    for (int k = 1; k <= count; ++k) {
        std::wstring title = cache.Get(NumberedSection(L"item", k).c_str(), L"title");
        AppendEntry(menu, SubscriptionCommand(number, k), title);
    }
    if (count > 0) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendRefreshEntry(menu, SubscriptionCommand(number, kEntryRefresh), IDS_MENU_REFRESH,
                       refreshing);
    std::wstring title = rss.Get(NumberedSection(L"rss", number).c_str(), L"title");
    AppendEntry(menu, SubscriptionCommand(number, kEntryOpenSite), SiteEntryText(title));
    return menu;
}

void AppendButtonMenuEntries(HMENU popup, const wchar_t* rssIni, const ButtonMenuState& state) {
    if (state.pageHasFeeds) AppendEntry(popup, kCmdAddThisFeed, EntryText(IDS_MENU_ADD_THIS_FEED));
    AppendEntry(popup, kCmdCustomAdd, EntryText(IDS_MENU_CUSTOM_ADD));

    IniSnapshot rss(rssIni, MenuSection);
    int count = rss.Loaded() ? static_cast<int>(rss.GetNumber(L"main", L"count", 0)) : 0;
    if (count > kMaxMenuSubscriptions) count = kMaxMenuSubscriptions;
    bool separated = false;
    wchar_t folder[MAX_PATH] = L"";
    RssDataPath(folder, nullptr);
    for (int number = 1; number <= count; ++number) {
        // One read of the whole cache: the caches are the bulk of the time.
        std::wstring path = FeedCachePathIn(folder, number);
        IniSnapshot cache(path);
        // Imported subscriptions come by the hundred: they wait for the
        // background refresh rather than hold the browser one by one.
        if (!cache.Loaded() && !WasImported(rss, number)) {
            RefreshSubscription(rssIni, number, nullptr, kMenuFetchMs);
            cache = IniSnapshot(path);
        }
        HMENU submenu = BuildSubscriptionMenu(rss, cache, number, state.refreshing);
        if (!submenu) continue;
        if (!separated) AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        separated = true;
        std::wstring title = rss.Get(NumberedSection(L"rss", number).c_str(), L"title");
        AppendMenuW(popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                    title.c_str());
    }
    if (count > 0) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        AppendRefreshEntry(popup, kCmdRefreshAll, IDS_MENU_REFRESH_ALL, state.refreshing);
        AppendEntry(popup, kCmdManage, EntryText(IDS_MENU_MANAGE));
    }
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    if (state.loggedIn) {
        AppendEntry(popup, kCmdWebReader, EntryText(IDS_MENU_WEB_READER));
    } else {
        AppendEntry(popup, kCmdWebReaderLogin, EntryText(IDS_MENU_WEB_READER_LOGIN));
    }
}
