#include "ButtonSteps.h"

#include <windows.h>

#include "DemoSession.h"
#include "ModalVisit.h"
#include "PageLoader.h"
#include "Screenshot.h"
#include "core/HostProtocol.h"
#include "dialogs/ListRows.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

namespace {

const UINT kFirstItem = 0x1001;  // item 1 of subscription 1

int ButtonIcon(DemoSession& s) {
    IconQuery answer = s.host.QueryIcon();
    return answer.mask ? s.host.IconResourceOf(answer.icon) : -1;
}

std::wstring IconName(int icon) {
    switch (icon) {
        case IDI_BUTTON_FEED:
            return L"109 (源)";
        case IDI_BUTTON_NO_FEED:
            return L"108 (无源)";
        default:
            return std::to_wstring(icon);
    }
}

int AdvertisedFeeds(const PageContent& page) {
    int feeds = 0;
    for (const PageContent::Attributes& tag : page.linkTags)
        for (const auto& attribute : tag)
            if (attribute.first == L"rel" && attribute.second == L"alternate") ++feeds;
    return feeds;
}

HWND AddSeveralDialog() {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr)
        if (IsWindowVisible(window) && GetDlgItem(window, IDC_FEEDS_LIST)) return window;
    return nullptr;
}

BOOL CALLBACK AddMenuWindow(HWND window, LPARAM area) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    RECT rect;
    if (std::wstring(name) == L"#32768" && IsWindowVisible(window) && GetWindowRect(window, &rect))
        UnionRect(reinterpret_cast<RECT*>(area), reinterpret_cast<RECT*>(area), &rect);
    return TRUE;
}

// The frame and every open menu window in one picture.
RECT FrameAndMenus(const DemoSession& s) {
    RECT area = s.FrameArea();
    EnumWindows(&AddMenuWindow, reinterpret_cast<LPARAM>(&area));
    return area;
}

const MenuEntry* FindEntry(const std::vector<MenuEntry>& menu, UINT id) {
    for (const MenuEntry& entry : menu)
        if (!entry.popup && !entry.separator && entry.id == id) return &entry;
    return nullptr;
}

// Top-level position of the first subscription's submenu, -1 without one.
int FirstSubmenu(const std::vector<MenuEntry>& menu) {
    int position = 0;
    for (const MenuEntry& entry : menu) {
        if (entry.depth != 0) continue;
        if (entry.popup) return position;
        ++position;
    }
    return -1;
}

// The menu opened with the first subscription's submenu showing.
void PictureOfMenu(DemoSession& s, const wchar_t* name) {
    s.host.DropDown();
    HostToolbar::MenuPlan plan;
    plan.previewSubmenu = FirstSubmenu(s.host.LastMenu());
    plan.whileOpen = [&s, name] { s.walk.Picture(FrameAndMenus(s), name); };
    s.host.DropDown(plan);
}

}  // namespace

void SubscribeFromPage(DemoSession& s) {
    int before = ButtonIcon(s);
    bool loaded = s.frame.Navigate(ServerAddress(L"/site/index.html"));
    // The button looks at the page once the browser reports it complete.
    s.PumpUntil([&] { return ButtonIcon(s) == IDI_BUTTON_FEED; });
    int after = ButtonIcon(s);
    int feeds = AdvertisedFeeds(s.frame.Page());
    s.walk.Step(L"open a page that advertises feeds",
                loaded && feeds > 0 && after == IDI_BUTTON_FEED,
                L"\"" + s.frame.Page().title + L"\" advertises " + std::to_wstring(feeds) +
                    L" feeds; button icon " + IconName(before) + L" -> " + IconName(after));
    s.walk.Picture(s.FrameArea(), L"page_with_feeds");

    s.host.Send(kCodePressed);
    HWND dialog = nullptr;
    s.PumpUntil([&] { return (dialog = AddSeveralDialog()) != nullptr; });
    bool ready =
        dialog && s.PumpUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_ADD_FEEDS)); });
    HWND list = dialog ? GetDlgItem(dialog, IDC_FEEDS_LIST) : nullptr;
    int rows = list ? RowCount(list) : 0;
    std::wstring titles;
    for (int row = 0; row < rows; ++row) {
        SetRowTicked(list, row, true);
        titles += (row ? L", " : L"") + CellText(list, row, 1);
    }
    s.walk.Step(L"press the feed button", ready && rows == feeds,
                dialog ? L"add dialog loaded " + std::to_wstring(rows) + L" feeds: " + titles
                       : L"no add dialog opened");
    if (!dialog) return;
    s.LetPaint();
    s.walk.Picture(s.FrameAnd(dialog), L"add_dialog");

    int count = ReadCount(s.RssIni().c_str(), 0);
    SendMessageW(GetDlgItem(dialog, IDC_ADD_FEEDS), BM_CLICK, 0, 0);
    bool added = s.PumpUntil(
        [&] { return !IsWindow(dialog) && ReadCount(s.RssIni().c_str(), 0) == count + rows; });
    HWND tip = FindWindowW(L"RssAddedTip", nullptr);
    bool tipShown = tip && IsWindowVisible(tip);
    wchar_t tipText[128] = L"";
    if (tip) GetWindowTextW(tip, tipText, 128);
    s.walk.Step(L"subscribe", added && tipShown,
                L"rss.ini holds " + std::to_wstring(ReadCount(s.RssIni().c_str(), 0)) +
                    L" subscriptions; tip " + (tipShown ? L"shown" : L"NOT shown") +
                    (*tipText ? L" \"" + std::wstring(tipText) + L"\"" : L""));
    s.walk.Picture(s.FrameAnd(tip), L"subscribed_tip");
}

void OpenButtonMenu(DemoSession& s) {
    PictureOfMenu(s, L"button_menu");
    const std::vector<MenuEntry>& menu = s.host.LastMenu();
    int subscriptions = 0, items = 0, unread = 0;
    for (const MenuEntry& entry : menu) {
        if (entry.depth == 0 && entry.popup) ++subscriptions;
        if (entry.depth == 1 && entry.id >= 0x1001 && (entry.id & 0xFF) <= 15) {
            ++items;
            if (entry.iconId == IDI_ITEM_UNREAD) ++unread;
        }
    }
    s.walk.Step(L"open the button's menu", subscriptions >= 2 && items > 0 && unread == items,
                std::to_wstring(subscriptions) + L" subscriptions with " + std::to_wstring(items) +
                    L" items, " + std::to_wstring(unread) + L" shown unread");
}

void ReadItem(DemoSession& s) {
    s.host.DropDown();
    const MenuEntry* chosen = FindEntry(s.host.LastMenu(), kFirstItem);
    std::wstring title = chosen ? chosen->text : L"";
    int loads = s.frame.Loads();
    HostToolbar::MenuPlan plan;
    plan.choose = kFirstItem;
    s.host.DropDown(plan);
    bool opened = s.PumpUntil([&] { return s.frame.Loads() > loads; });
    bool shown = opened && s.frame.Page().kind == PageContent::Kind::Web;
    s.walk.Step(L"read an item", shown,
                L"chose \"" + title + L"\"; the frame opened " + s.frame.Address());
    s.walk.Picture(s.FrameArea(), L"item_opened");

    PictureOfMenu(s, L"menu_item_read");
    const MenuEntry* read = FindEntry(s.host.LastMenu(), kFirstItem);
    const MenuEntry* other = FindEntry(s.host.LastMenu(), kFirstItem + 1);
    bool marked =
        read && read->iconId == IDI_ITEM_READ && other && other->iconId == IDI_ITEM_UNREAD;
    s.walk.Step(L"the next drop-down marks it read", marked,
                L"item icon " + std::to_wstring(read ? read->iconId : 0) + L" (read), next item " +
                    std::to_wstring(other ? other->iconId : 0) + L" (unread)");
}

void RefreshAll(DemoSession& s) {
    size_t before = s.host.Notifications().size();
    s.host.Send(kCodeCommand, 0x0401);
    bool ended = s.PumpUntil([&] { return s.host.Notifications().size() >= before + 2; });
    std::wstring seen;
    bool started = false, finished = false;
    for (size_t i = before; i < s.host.Notifications().size(); ++i) {
        WPARAM value = s.host.Notifications()[i].wParam;
        started = started || value == kNotifyRefreshStarted;
        finished = finished || (started && value == kNotifyRefreshEnded);
        wchar_t text[16];
        swprintf(text, 16, L"0x%08lX ", static_cast<unsigned long>(value));
        seen += text;
    }
    s.walk.Step(L"refresh all subscriptions", ended && started && finished,
                L"the toolbar was told " + (seen.empty() ? std::wstring(L"nothing ") : seen) +
                    L"(worker started, worker ended)");
}

void ManageAndRemove(DemoSession& s) {
    int before = ReadCount(s.RssIni().c_str(), 0);
    HWND dialog = nullptr, box = nullptr;
    int stage = 0;
    std::wstring question;
    ModalVisit visit(
        [&](bool overdue) {
            if (!dialog) dialog = FindOwnedDialog(s.frame.Window(), L"管理RSS订阅");
            HWND list = dialog ? GetDlgItem(dialog, IDC_MANAGE_LIST) : nullptr;
            if (overdue) {
                if (box) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
                if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return true;
            }
            if (stage == 0 && list && RowCount(list) == before) {
                SetRowTicked(list, before - 1, true);
                RedrawWindow(dialog, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                s.walk.Picture(s.FrameAnd(dialog), L"manage_dialog");
                // Posted: the confirmation's own loop must not run inside this visit.
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REMOVE, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REMOVE)));
                stage = 1;
            } else if (stage == 1 && (box = FindOwnedDialog(dialog, L"")) != nullptr) {
                question = MessageText(box);
                s.walk.Picture(s.FrameAnd(box), L"manage_confirm");
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                stage = 2;
            } else if (stage == 2 && list && RowCount(list) == before - 1) {
                s.walk.Picture(s.FrameAnd(dialog), L"manage_removed");
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return true;
            }
            return false;
        },
        kStepPatienceMs);
    s.host.Send(kCodeCommand, 769);
    int after = ReadCount(s.RssIni().c_str(), 0);
    s.walk.Step(L"manage and remove a subscription",
                visit.Done() && !visit.Overdue() && after == before - 1,
                L"confirmed \"" + question + L"\"; subscriptions " + std::to_wstring(before) +
                    L" -> " + std::to_wstring(after));
}
