// The keys of every dialog, typed as a user types them (system keyboard
// input to the foreground window). The modeless dialogs get their messages
// from a loop like the browser's, which translates and dispatches and knows
// nothing of dialogs; the modal ones from the dialog manager's own loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "DialogTestSupport.h"
#include "FeedTestSupport.h"
#include "core/AddedTip.h"
#include "dialogs/AddFeedDialog.h"
#include "dialogs/AddFeedsDialog.h"
#include "dialogs/CustomAddDialog.h"
#include "dialogs/EditFeedDialog.h"
#include "dialogs/ListRows.h"
#include "dialogs/ManageFeedsDialog.h"
#include "feeds/StoreFile.h"
#include "feeds/SubscriptionStore.h"
#include "res/resource.h"

using namespace dialogtest;
using namespace feedtest;

namespace {

void Press(WORD key, bool shift = false) {
    std::vector<INPUT> input;
    auto add = [&](WORD vk, bool up) {
        INPUT one = {};
        one.type = INPUT_KEYBOARD;
        one.ki.wVk = vk;
        one.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, 0));
        one.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        input.push_back(one);
    };
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

// Makes window the one the keyboard types into, with the focus on control.
bool Focus(HWND window, int control) {
    SetForegroundWindow(window);
    SetFocus(GetDlgItem(window, control));
    return PumpUntil([&] {
        return GetForegroundWindow() == window && GetFocus() == GetDlgItem(window, control);
    });
}

// Presses a key in the browser's loop and waits for what it should do.
template <class Done>
bool PressAndWait(WORD key, bool shift, Done done) {
    Press(key, shift);
    return PumpUntil(done);
}

// In a modal loop's step: asks for window in the foreground, and tells
// whether it is there yet (it can follow a tick later).
bool InForeground(HWND window) {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    return GetForegroundWindow() == window;
}

// The same, with control focused.
bool TakesKeys(HWND window, HWND control) {
    if (GetFocus() != control) SetFocus(control);
    return InForeground(window) && GetFocus() == control;
}

bool FocusIs(HWND window, int control) {
    return GetFocus() == GetDlgItem(window, control);
}

class DialogKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearDataFolder();
        TheAddedTip().Destroy();
        scene_.reset(new ButtonOnHost(true));
        ASSERT_TRUE(scene_->Created());
    }
    void TearDown() override { scene_.reset(); }

    RecordingButton& Button() { return scene_->Button(); }
    std::wstring RssIni() { return Button().RssIniPath(); }
    int Count() { return ReadCount(RssIni().c_str(), 0); }
    std::wstring Stored(int n, const wchar_t* key) {
        return IniValue(RssIni(), NumberedSection(L"rss", n).c_str(), key);
    }
    void Seed(int count) {
        EnsureStoreFiles(RssIni().c_str(), Button().HistoryIniPath());
        for (int n = 1; n <= count; ++n) {
            std::wstring url = L"http://feeds.invalid/" + std::to_wstring(n) + L".xml";
            AppendSubscription(RssIni().c_str(), (L"订阅" + std::to_wstring(n)).c_str(),
                               url.c_str(), 99, 1);
        }
    }

    std::unique_ptr<ButtonOnHost> scene_;
};

// ---- the modeless dialogs, in the browser's loop ----------------------------

TEST_F(DialogKeyboardTest, AddThisFeedTabsBetweenControlsEnterAddsAndEscCloses) {
    AddFeedDialog dialog(&Button());
    HWND window = dialog.Open(ServerUrl(L"/feeds/rss20.xml").c_str());
    ASSERT_TRUE(PumpUntil([&] { return Enabled(window, IDC_ADD_FEED); }));
    ASSERT_TRUE(Focus(window, IDC_FEED_TITLE));
    EXPECT_TRUE(PressAndWait(VK_TAB, false, [&] { return FocusIs(window, IDC_READER_CHECK); }));
    EXPECT_TRUE(PressAndWait(VK_TAB, false, [&] { return FocusIs(window, IDC_ADD_FEED); }));
    EXPECT_TRUE(PressAndWait(VK_TAB, true, [&] { return FocusIs(window, IDC_READER_CHECK); }));
    EXPECT_TRUE(PressAndWait(VK_TAB, true, [&] { return FocusIs(window, IDC_FEED_TITLE); }));
    EXPECT_TRUE(PressAndWait(VK_RETURN, false, [&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"xmlUrl"), ServerUrl(L"/feeds/rss20.xml"));

    window = dialog.Open(ServerUrl(L"/feeds/atom10.xml").c_str());
    ASSERT_TRUE(PumpUntil([&] { return Enabled(window, IDC_ADD_FEED); }));
    ASSERT_TRUE(Focus(window, IDC_FEED_TITLE));
    EXPECT_TRUE(PressAndWait(VK_ESCAPE, false, [&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
}

TEST_F(DialogKeyboardTest, CustomAddTabsBetweenControlsEnterAddsAndEscCloses) {
    CustomAddDialog dialog(&Button());
    HWND window = dialog.Open();
    ASSERT_NE(window, nullptr);
    SetText(window, IDC_ADDRESS, ServerUrl(L"/feeds/atom10.xml"));
    ASSERT_TRUE(Focus(window, IDC_ADDRESS));
    EXPECT_TRUE(PressAndWait(VK_TAB, false, [&] { return FocusIs(window, IDC_VERIFY); }));
    EXPECT_TRUE(PressAndWait(VK_TAB, true, [&] { return FocusIs(window, IDC_ADDRESS); }));
    // Enter in the address is the default button: verified, then added.
    EXPECT_TRUE(PressAndWait(VK_RETURN, false, [&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"title"), L"Atom One");

    window = dialog.Open();
    ASSERT_TRUE(Focus(window, IDC_ADDRESS));
    EXPECT_TRUE(PressAndWait(VK_ESCAPE, false, [&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
}

TEST_F(DialogKeyboardTest, AddSeveralTicksWithSpaceTabsAndAddsWithEnter) {
    AddFeedsDialog dialog(&Button());
    FeedLinkList feeds(2);
    feeds[0].SetUrl(ServerUrl(L"/feeds/rss20.xml").c_str());
    feeds[1].SetUrl(ServerUrl(L"/feeds/atom10.xml").c_str());
    HWND window = dialog.Open(feeds);
    ASSERT_TRUE(PumpUntil([&] { return dialog.Loaded(); }));
    ASSERT_TRUE(Focus(window, IDC_FEEDS_LIST));
    HWND list = dialog.List();
    // Down to the second row, Space ticks it.
    Press(VK_DOWN);
    EXPECT_TRUE(PressAndWait(VK_DOWN, false, [&] {
        return SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED) == 1;
    }));
    EXPECT_TRUE(PressAndWait(VK_SPACE, false, [&] { return RowTicked(list, 1); }));
    EXPECT_TRUE(PressAndWait(VK_TAB, false, [&] { return FocusIs(window, IDC_READER_CHECK); }));
    EXPECT_TRUE(PressAndWait(VK_TAB, true, [&] { return FocusIs(window, IDC_FEEDS_LIST); }));
    EXPECT_TRUE(PressAndWait(VK_RETURN, false, [&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"xmlUrl"), ServerUrl(L"/feeds/atom10.xml"));

    window = dialog.Open(feeds);
    ASSERT_TRUE(PumpUntil([&] { return dialog.Loaded(); }));
    ASSERT_TRUE(Focus(window, IDC_FEEDS_LIST));
    EXPECT_TRUE(PressAndWait(VK_ESCAPE, false, [&] { return !IsWindow(window); }));
    EXPECT_EQ(Count(), 1);
}

// ---- the modal dialogs, in the dialog manager's loop ------------------------

// Presses a key once the focus is where the step expects it.
Script::Step PressWhen(std::function<bool()> ready, WORD key, bool shift = false) {
    return [=] {
        if (!ready()) return false;
        Press(key, shift);
        return true;
    };
}

TEST_F(DialogKeyboardTest, ManageTicksWithSpaceRemovesWithEnterAndClosesWithEsc) {
    Seed(2);
    ManageFeedsDialog dialog(&Button());
    HWND list = nullptr;
    auto box = [] { return FindDialog(StringResource(IDS_TOOLBAR_CAPTION).c_str()); };
    INT_PTR code = 0;
    {
        Script script(
            {[&] {
                 if (!dialog.Window() || RowCount(dialog.List()) != 2) return false;
                 list = dialog.List();
                 if (!TakesKeys(dialog.Window(), list)) return false;
                 Press(VK_DOWN);
                 return true;
             },
             PressWhen([&] { return SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED) == 0; },
                       VK_SPACE),
             PressWhen([&] { return RowTicked(list, 0); }, VK_TAB),
             PressWhen([&] { return FocusIs(dialog.Window(), IDC_IMPORT); }, VK_TAB, true),
             // Back past the list to the last button, then "删除", now enabled.
             PressWhen([&] { return GetFocus() == list; }, VK_TAB, true),
             PressWhen([&] { return FocusIs(dialog.Window(), IDC_MANAGE_ADD); }, VK_TAB, true),
             PressWhen([&] { return FocusIs(dialog.Window(), IDC_REMOVE); }, VK_RETURN),
             // The confirmation: Enter is its OK.
             PressWhen([&] { return box() != nullptr; }, VK_RETURN),
             PressWhen(
                 [&] { return !box() && RowCount(list) == 1 && InForeground(dialog.Window()); },
                 VK_ESCAPE)});
        code = dialog.Open(scene_->Host().Frame());
        EXPECT_TRUE(script.Finished()) << script.StepsDone() << " steps done";
        EXPECT_FALSE(script.TimedOut());
    }
    EXPECT_EQ(code, IDCANCEL);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Stored(1, L"title"), L"订阅2");
}

TEST_F(DialogKeyboardTest, EditAndModalCustomAddTakeEnterAndEsc) {
    Seed(1);
    ListedSubscription listed = ReadSubscriptions(RssIni().c_str())[0];
    EditFeedDialog edit(&Button());
    INT_PTR code = 0;
    {
        Script script(
            {[&] {
                 if (!edit.Window()) return false;
                 SetText(edit.Window(), IDC_EDIT_TITLE, L"新标题");
                 if (!TakesKeys(edit.Window(), GetDlgItem(edit.Window(), IDC_EDIT_TITLE)))
                     return false;
                 Press(VK_TAB);
                 return true;
             },
             PressWhen([&] { return FocusIs(edit.Window(), IDC_EDIT_OK); }, VK_TAB, true),
             PressWhen([&] { return FocusIs(edit.Window(), IDC_EDIT_TITLE); }, VK_RETURN)});
        code = edit.Open(scene_->Host().Frame(), listed);
        EXPECT_TRUE(script.Finished()) << script.StepsDone() << " steps done";
    }
    EXPECT_EQ(code, IDC_EDIT_OK);
    EXPECT_EQ(Stored(1, L"title"), L"新标题");

    listed.title = L"新标题";
    {
        Script script(
            {PressWhen([&] { return edit.Window() && InForeground(edit.Window()); }, VK_ESCAPE)});
        code = edit.Open(scene_->Host().Frame(), listed);
    }
    EXPECT_EQ(code, IDCANCEL);

    CustomAddDialog customAdd(&Button());
    {
        Script script({PressWhen(
            [&] { return customAdd.Window() && InForeground(customAdd.Window()); }, VK_ESCAPE)});
        code = customAdd.OpenModal(scene_->Host().Frame());
    }
    EXPECT_EQ(code, IDCANCEL);
    EXPECT_EQ(Count(), 1);
}

}  // namespace
