#include "core/ButtonMenu.h"

#include <string>

#include "core/MenuCommand.h"
#include "core/OwnerDrawMenu.h"
#include "core/Module.h"
#include "core/ToolbarEnvironment.h"
#include "feeds/FeedCache.h"
#include "feeds/IniSnapshot.h"
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

std::wstring SiteEntryText(const std::wstring& format, const std::wstring& title) {
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

// Appends owner-drawn items; after a failure nothing more is added and the
// build is refused, as the host must not draw half a menu.
class Entries {
public:
    explicit Entries(HostRecord* owner) : owner_(owner) {}
    bool Ok() const { return ok_; }
    void Add(HMENU menu, UINT id, const std::wstring& text, bool greyed = false) {
        Append(menu, greyed ? MF_GRAYED : 0, id, text.c_str());
    }
    void Separator(HMENU menu) { Append(menu, MF_SEPARATOR, 0, L""); }
    // The menu owns submenu from here on.
    void Popup(HMENU menu, HMENU submenu, const std::wstring& title) {
        Append(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), title.c_str());
    }

private:
    void Append(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text) {
        if (ok_) {
            ok_ = OwnerDrawMenu::Append(menu, owner_, flags, id, text);
        } else if (flags & MF_POPUP) {
            OwnerDrawMenu::Destroy(reinterpret_cast<HMENU>(id));
        }
    }

    HostRecord* owner_;
    bool ok_ = true;
};

// The texts every submenu shares, loaded once per drop-down.
struct SubmenuTexts {
    std::wstring refresh;
    bool refreshing;
    std::wstring siteFormat;
};

void AppendRefreshEntry(Entries& entries, HMENU menu, UINT id, UINT textId, bool refreshing) {
    if (refreshing) {
        entries.Add(menu, id, EntryText(IDS_MENU_REFRESHING), true);
    } else {
        entries.Add(menu, id, EntryText(textId));
    }
}

// One subscription's submenu: its newest 15 items, then refresh and open
// site; null when no menu can be created.
HMENU BuildSubscriptionMenu(Entries& entries, const IniSnapshot& cache, int number,
                            const std::wstring& title, const SubmenuTexts& texts) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    long count = cache.GetNumber(L"main", L"count", 0);
    if (count > kMenuItemsPerFeed) count = kMenuItemsPerFeed;
    for (int k = 1; k <= count; ++k) {
        std::wstring item = cache.Get(NumberedSection(L"item", k).c_str(), L"title");
        entries.Add(menu, SubscriptionCommand(number, k), item);
    }
    if (count > 0) entries.Separator(menu);
    entries.Add(menu, SubscriptionCommand(number, kEntryRefresh), texts.refresh, texts.refreshing);
    entries.Add(menu, SubscriptionCommand(number, kEntryOpenSite),
                SiteEntryText(texts.siteFormat, title));
    return menu;
}

void AppendSubscriptions(Entries& entries, HMENU menu, const wchar_t* rssIni,
                         const IniSnapshot& rss, int count, bool refreshing) {
    SubmenuTexts texts = {EntryText(refreshing ? IDS_MENU_REFRESHING : IDS_MENU_REFRESH),
                          refreshing, EntryText(IDS_MENU_OPEN_SITE, kSiteFormatLength)};
    bool separated = false;
    wchar_t folder[MAX_PATH] = L"";
    RssDataPath(folder, nullptr);
    for (int number = 1; number <= count && entries.Ok(); ++number) {
        // One read of the whole cache: the caches are the bulk of the time.
        std::wstring path = FeedCachePathIn(folder, number);
        IniSnapshot cache(path);
        // Imported subscriptions come by the hundred: they wait for the
        // background refresh rather than hold the browser one by one.
        if (!cache.Loaded() && !WasImported(rss, number)) {
            RefreshSubscription(rssIni, number, nullptr, kMenuFetchMs);
            cache = IniSnapshot(path);
        }
        std::wstring title = rss.Get(NumberedSection(L"rss", number).c_str(), L"title");
        HMENU submenu = BuildSubscriptionMenu(entries, cache, number, title, texts);
        if (!submenu) continue;
        if (!separated) entries.Separator(menu);
        separated = true;
        entries.Popup(menu, submenu, title);
    }
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

bool AppendButtonMenuEntries(HMENU menu, HostRecord* owner, const wchar_t* rssIni,
                             const ButtonMenuState& state) {
    Entries entries(owner);
    if (state.pageHasFeeds) entries.Add(menu, kCmdAddThisFeed, EntryText(IDS_MENU_ADD_THIS_FEED));
    entries.Add(menu, kCmdCustomAdd, EntryText(IDS_MENU_CUSTOM_ADD));

    IniSnapshot rss(rssIni, MenuSection);
    int count = rss.Loaded() ? static_cast<int>(rss.GetNumber(L"main", L"count", 0)) : 0;
    if (count > kMaxMenuSubscriptions) count = kMaxMenuSubscriptions;
    AppendSubscriptions(entries, menu, rssIni, rss, count, state.refreshing);
    if (count > 0) {
        entries.Separator(menu);
        AppendRefreshEntry(entries, menu, kCmdRefreshAll, IDS_MENU_REFRESH_ALL, state.refreshing);
        entries.Add(menu, kCmdManage, EntryText(IDS_MENU_MANAGE));
    }
    entries.Separator(menu);
    if (state.loggedIn) {
        entries.Add(menu, kCmdWebReader, EntryText(IDS_MENU_WEB_READER));
    } else {
        entries.Add(menu, kCmdWebReaderLogin, EntryText(IDS_MENU_WEB_READER_LOGIN));
    }
    return entries.Ok();
}
