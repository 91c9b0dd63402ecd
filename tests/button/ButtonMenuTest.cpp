// The button's drop-down through the real plug-in in the host toolbar
// stand-in: what it lists, how the host measures and draws it, and what its
// entries do.
#include <gtest/gtest.h>
#include <windows.h>

#include "ButtonSceneSupport.h"
#include "core/MenuCommand.h"
#include "feeds/ReadMarks.h"
#include "feeds/SubscriptionImport.h"
#include "feeds/SubscriptionStore.h"
#include "support/ChildProcess.h"

using scene::FindEntry;
using scene::Scene;

namespace {

int SetRefreshFlag(const std::wstring& value) {
    HMODULE plugin = LoadLibraryW(BuildPath("button/rssbutton.dll").c_str());
    size_t size = 0;
    auto* flag = static_cast<volatile LONG*>(FindModuleSection(plugin, ".toolbar", &size));
    if (!flag || size < sizeof(LONG)) return 2;
    *flag = std::stol(value);
    FreeLibrary(plugin);
    return 0;
}
CHILD_ROLE(L"set-refresh-flag", SetRefreshFlag);

std::vector<scene::Subscription> Feeds(int count) {
    std::vector<scene::Subscription> feeds;
    for (int n = 1; n <= count; ++n) {
        wchar_t site[64];
        swprintf(site, 64, L"http://example.invalid/site%d", n);
        feeds.push_back({L"Feed " + std::to_wstring(n), L"", site});
    }
    return feeds;
}

// Entries directly inside the submenu that follows the popup titled title.
std::vector<MenuEntry> SubmenuOf(const std::vector<MenuEntry>& menu, const std::wstring& title) {
    std::vector<MenuEntry> inner;
    for (size_t i = 0; i < menu.size(); ++i) {
        if (!menu[i].popup || menu[i].text != title) continue;
        for (size_t j = i + 1; j < menu.size() && menu[j].depth > menu[i].depth; ++j)
            if (menu[j].depth == menu[i].depth + 1) inner.push_back(menu[j]);
    }
    return inner;
}

std::vector<UINT> Ids(const std::vector<MenuEntry>& entries) {
    std::vector<UINT> ids;
    for (const MenuEntry& entry : entries) ids.push_back(entry.separator ? 0 : entry.id);
    return ids;
}

class ButtonMenu : public ::testing::Test {
protected:
    void TearDown() override { SetRefreshFlag(L"0"); }
};

}  // namespace

TEST_F(ButtonMenu, WithoutSubscriptionsOnlyAddingAndTheWebReaderAreOffered) {
    scene::WriteStore({});
    {
        Scene loggedIn;
        ASSERT_TRUE(loggedIn.Ok());
        std::vector<MenuEntry> menu = loggedIn.Menu();
        ASSERT_EQ(menu.size(), 3u) << DescribeMenu(menu).c_str();
        EXPECT_EQ(menu[0].id, kCmdCustomAdd);
        EXPECT_EQ(menu[0].text, L"自定义添加RSS订阅");
        EXPECT_EQ(menu[0].iconId, 0);
        EXPECT_TRUE(menu[1].separator);
        EXPECT_EQ(menu[2].id, kCmdWebReader);
        EXPECT_EQ(menu[2].text, L"进入Pemba邮箱阅读空间");
        EXPECT_EQ(menu[2].iconId, 113);
        // Measured in the toolbar's font: items 20 high, separators 5.
        EXPECT_EQ(menu[0].height, 20u);
        EXPECT_EQ(menu[1].height, 5u);
        EXPECT_GT(menu[0].width, 30u + 40u);
    }
    HostToolbar::Options options;
    options.loggedIn = false;
    Scene loggedOut(options);
    ASSERT_TRUE(loggedOut.Ok());
    std::vector<MenuEntry> menu = loggedOut.Choose(kCmdWebReaderLogin);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[2].id, kCmdWebReaderLogin);
    EXPECT_EQ(menu[2].text, L"登录Pemba邮箱阅读空间");
    ASSERT_EQ(loggedOut.Host().Host()->Commands().size(), 1u);
    const auto& login = loggedOut.Host().Host()->Commands()[0];
    EXPECT_EQ(login.command, L"Login");
    EXPECT_EQ(login.a, 12);
    EXPECT_EQ(login.b, 164);
    EXPECT_EQ(login.c, 0);
}

TEST_F(ButtonMenu, ASubscriptionShowsItsNewestFifteenItemsThenRefreshAndSite) {
    std::vector<scene::Subscription> feeds = Feeds(2);
    feeds[0].title = L"二十条";
    feeds[1].title = L"Empty";
    scene::WriteStore(feeds);
    scene::WriteCache(1, 20);
    scene::WriteCache(2, 0);
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    std::vector<MenuEntry> menu = scene.Menu();

    std::vector<MenuEntry> full = SubmenuOf(menu, L"二十条");
    std::vector<UINT> expected;
    for (int k = 1; k <= 15; ++k) expected.push_back(SubscriptionCommand(1, k));
    expected.insert(expected.end(), {0, 0x1015, 0x1016});
    EXPECT_EQ(Ids(full), expected) << DescribeMenu(menu).c_str();
    ASSERT_EQ(full.size(), 18u);
    EXPECT_EQ(full[0].text, L"Item 1");
    EXPECT_EQ(full[0].iconId, 105);
    EXPECT_EQ(full[14].text, L"Item 15");
    EXPECT_EQ(full[16].text, L"刷新");
    EXPECT_EQ(full[16].iconId, 0);
    EXPECT_EQ(full[17].text, L"打开“二十条”");

    // No items: no separator before "刷新".
    EXPECT_EQ(Ids(SubmenuOf(menu, L"Empty")), (std::vector<UINT>{0x1115, 0x1116}));

    // Top level: custom add, separator, the two feeds, separator, refresh
    // all, manage, separator, web reader.
    std::vector<MenuEntry> top;
    for (const MenuEntry& entry : menu)
        if (entry.depth == 0) top.push_back(entry);
    ASSERT_EQ(top.size(), 9u);
    EXPECT_TRUE(top[1].separator);
    EXPECT_TRUE(top[2].popup);
    EXPECT_EQ(top[2].iconId, 110);
    EXPECT_EQ(top[5].text, L"全部刷新");
    EXPECT_FALSE(top[5].greyed);
    EXPECT_EQ(top[6].id, kCmdManage);
    // A submenu item is wider by the arrow.
    EXPECT_GT(top[2].width, 30u);
}

TEST_F(ButtonMenu, ChoosingAnItemOpensItAndTheNextDropDownShowsItRead) {
    scene::WriteStore(Feeds(2));
    scene::WriteCache(1, 3);
    scene::WriteCache(2, 8);
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    std::vector<MenuEntry> before = scene.Choose(0x1105);
    ASSERT_NE(FindEntry(before, 0x1105), nullptr);
    EXPECT_EQ(FindEntry(before, 0x1105)->iconId, 105);

    const auto& opened = scene.Host().Host()->OpenedAddresses();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].address, scene::ItemLink(2, 5));
    EXPECT_TRUE(IsItemRead(scene::HistoryIni().c_str(), 2, scene::ItemLink(2, 5).c_str()));

    std::vector<MenuEntry> after = scene.Menu();
    EXPECT_EQ(FindEntry(after, 0x1105)->iconId, 106);
    EXPECT_EQ(FindEntry(after, 0x1104)->iconId, 105);
    // Only subscription 2 holds the mark.
    EXPECT_EQ(FindEntry(after, 0x1001)->iconId, 105);

    // The site entry opens htmlUrl; an item beyond the cache opens nothing.
    scene.Choose(0x1016);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].address, L"http://example.invalid/site1");
    scene.Host().Send(kCodeCommand, 0x100F);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(ButtonMenu, WhileAnotherProcessRefreshesBothRefreshEntriesAreGreyed) {
    scene::WriteStore(Feeds(1));
    scene::WriteCache(1, 2);
    // The shared section lives as long as some process holds the library.
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    ASSERT_EQ(RunChildRole(L"set-refresh-flag", L"1"), 0);
    std::vector<MenuEntry> menu = scene.Menu();
    for (UINT id : {UINT(kCmdRefreshAll), UINT(0x1015)}) {
        const MenuEntry* entry = FindEntry(menu, id);
        ASSERT_NE(entry, nullptr) << id;
        EXPECT_EQ(entry->text, L"正在刷新...");
        EXPECT_TRUE(entry->greyed);
    }
    ASSERT_EQ(RunChildRole(L"set-refresh-flag", L"0"), 0);
    menu = scene.Menu();
    EXPECT_EQ(FindEntry(menu, 0x1015)->text, L"刷新");
    EXPECT_FALSE(FindEntry(menu, 0x1015)->greyed);
}

TEST_F(ButtonMenu, ItemsOfSubscription49AreItemsAndTheTimersStayTimers) {
    // Items 1-3 of subscription 49 carry the timer identifiers 0x4001-0x4003.
    scene::WriteStore(Feeds(49));
    for (int n = 1; n <= 49; ++n) scene::WriteCache(n, n == 49 ? 3 : 0);
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    const auto& opened = scene.Host().Host()->OpenedAddresses();

    std::vector<MenuEntry> menu = scene.Choose(0x4002);
    ASSERT_NE(FindEntry(menu, 0x4002), nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].address, scene::ItemLink(49, 2));
    scene.Host().Pump(200);
    EXPECT_TRUE(scene.Notifications().empty());  // no stale refresh ran

    // The relayed timer still runs its timer action, not the item.
    scene.Host().Send(kCodeCommand, kTimerStaleRefresh);
    EXPECT_TRUE(scene.WaitForNotifications(2, 5000));
    scene.Host().Send(kCodeCommand, kTimerFeedViewInjection);
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(ButtonMenu, MoreThan240SubscriptionsListTheFirst240WithoutWrapping) {
    scene::WriteStore(Feeds(245));
    for (int n = 1; n <= 240; ++n) scene::WriteCache(n, n == 240 ? 1 : 0);
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    std::vector<MenuEntry> menu = scene.Menu();
    int popups = 0;
    for (const MenuEntry& entry : menu) {
        if (entry.popup) ++popups;
        SubscriptionEntry decoded;
        if (!entry.popup && DecodeSubscriptionCommand(entry.id, &decoded)) {
            EXPECT_LE(decoded.number, 240);
        }
    }
    EXPECT_EQ(popups, 240);
    EXPECT_NE(FindEntry(menu, 0xFF01), nullptr);
    EXPECT_NE(FindEntry(menu, 0xFF16), nullptr);
    // Subscriptions beyond the menu are not refreshed for it.
    EXPECT_FALSE(feedtest::Exists(FeedCachePath(241)));
}

TEST_F(ButtonMenu, ASubscriptionWithoutCacheIsRefreshedBeforeTheMenuShowsUnlessImported) {
    std::vector<scene::Subscription> feeds = Feeds(1);
    feeds[0].xmlUrl = feedtest::ServerUrl(L"/feeds/rss20.xml");
    scene::WriteStore(feeds);
    // Imported feeds come by the hundred: the drop-down leaves them to the
    // background refresh, also once renumbered.
    feedtest::ScratchFile list;
    std::wstring imported = feedtest::ServerUrl(L"/feeds/atom10.xml?tag=menu-imported");
    feedtest::WriteBytes(list.Path(), "<opml><body><outline text=\"Imported\" xmlUrl=\"" +
                                          std::string(imported.begin(), imported.end()) +
                                          "\"/></body></opml>");
    ASSERT_EQ(
        ImportOpmlFile(scene::RssIni().c_str(), scene::HistoryIni().c_str(), list.Path()).added, 1);
    Scene scene;
    ASSERT_TRUE(scene.Ok());
    std::vector<MenuEntry> menu = scene.Menu();
    EXPECT_TRUE(feedtest::Exists(FeedCachePath(1)));
    EXPECT_NE(FindEntry(menu, 0x1001), nullptr) << DescribeMenu(menu).c_str();
    EXPECT_NE(feedtest::IniValue(scene::RssIni(), L"rss1", L"updTime"), L"<missing>");
    EXPECT_EQ(Ids(SubmenuOf(menu, L"Imported")), (std::vector<UINT>{0x1115, 0x1116}));
    RemoveSubscriptions(scene::RssIni().c_str(), scene::HistoryIni().c_str(), {false, true});
    menu = scene.Menu();
    EXPECT_EQ(Ids(SubmenuOf(menu, L"Imported")), (std::vector<UINT>{0x1015, 0x1016}));
    EXPECT_FALSE(feedtest::Exists(FeedCachePath(1)));
    EXPECT_EQ(feedtest::RecordedRequests(L"menu-imported"), "[]");
    // Without the mutex or the flag: the host heard of no refresh.
    scene.Host().Pump(100);
    EXPECT_TRUE(scene.Notifications().empty());
}
