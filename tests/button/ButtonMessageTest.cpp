#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>

#include "browser/WebBrowserStandin.h"
#include "core/HostProtocol.h"
#include "core/ToolbarEnvironment.h"
#include "host/HostToolbar.h"
#include "support/ChildProcess.h"
#include "support/ModuleSection.h"
#include "support/Patience.h"
#include "support/TestPaths.h"

namespace {

std::wstring PluginPath() {
    return BuildPath("button/rssbutton.dll");
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring DataRoot() {
    wchar_t root[MAX_PATH] = {};
    return ToolbarPath(kToolbarDataRoot, root, MAX_PATH) ? root : L"";
}

// Child: writes the plug-in's shared refresh flag from this process.
int SetRefreshFlag(const std::wstring& value) {
    HMODULE plugin = LoadLibraryW(PluginPath().c_str());
    size_t size = 0;
    auto* flag = static_cast<volatile LONG*>(FindModuleSection(plugin, ".toolbar", &size));
    if (!flag || size < sizeof(LONG)) return 2;
    *flag = std::stol(value);
    FreeLibrary(plugin);
    return 0;
}
CHILD_ROLE(L"set-refresh-flag", SetRefreshFlag);

// The colour of one pixel of an icon drawn on black.
COLORREF IconPixel(HICON icon, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The background of the feed sign, where the two button icons differ.
COLORREF ResourceIconPixel(HMODULE module, int id) {
    auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
    COLORREF colour = icon ? IconPixel(icon, 13, 2) : CLR_INVALID;
    if (icon) DestroyIcon(icon);
    return colour;
}

class ButtonMessage : public ::testing::Test {
protected:
    void Start(const HostToolbar::Options& options = HostToolbar::Options()) {
        host_ = std::make_unique<HostToolbar>();
        ASSERT_TRUE(host_->Create(options));
        ASSERT_TRUE(host_->LoadPlugin(PluginPath()));
        host_->Pump(20);
    }
    void TearDown() override {
        if (host_) host_->Send(kCodeUnload);
    }
    size_t Sinks() const { return host_->Browser()->SinkCount(); }

    std::unique_ptr<HostToolbar> host_;
};

}  // namespace

TEST_F(ButtonMessage, BadInputIsRefusedAndCreatesNothing) {
    Start();
    ToolbarHostObject* key = host_->Host();
    EXPECT_EQ(host_->SendRaw(nullptr, key, kCodeAttach, 0, 0), 0);
    EXPECT_EQ(host_->SendRaw(host_->Record(), nullptr, kCodeAttach, 0, 0), 0);

    // A record whose last bytes lie on a page that cannot be read.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    auto* pages = static_cast<BYTE*>(
        VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &old));
    auto* cut = reinterpret_cast<HostRecord*>(pages + system.dwPageSize - 100);
    EXPECT_EQ(host_->SendRaw(cut, key, kCodeAttach, 0, 0), 0);
    EXPECT_EQ(host_->SendRaw(cut, key, kCodePressed, 0, 0), 0);
    VirtualFree(pages, 0, MEM_RELEASE);
    EXPECT_EQ(host_->SendRaw(reinterpret_cast<HostRecord*>(pages), key, kCodeAttach, 0, 0), 0);
    // A host key that points at nothing, or at something without a table.
    auto* gone = reinterpret_cast<ToolbarHost*>(pages);
    EXPECT_EQ(host_->SendRaw(host_->Record(), gone, kCodeAttach, 0, 0), 0);
    void* noTable[1] = {nullptr};
    EXPECT_EQ(
        host_->SendRaw(host_->Record(), reinterpret_cast<ToolbarHost*>(noTable), kCodeAttach, 0, 0),
        0);

    EXPECT_EQ(key->LoginQueries(), 0);
    EXPECT_EQ(key->RefCount(), 1);
    EXPECT_EQ(host_->Send(kCodeUnload), 1);
    EXPECT_EQ(key->LoginQueries(), 0);
}

TEST_F(ButtonMessage, UnloadOfAnUnknownKeyOnlyReturnsOne) {
    Start();
    EXPECT_EQ(host_->Send(kCodeUnload), 1);
    EXPECT_EQ(host_->Send(kCodeUnload), 1);
    EXPECT_EQ(host_->Host()->LoginQueries(), 0);
    EXPECT_EQ(host_->Host()->RefCount(), 1);
    EXPECT_FALSE(host_->KillPluginTimer(kTimerStaleRefresh));
}

TEST_F(ButtonMessage, AFirstPressInitialisesLearnsVisibilityAndCreatesTheStore) {
    wchar_t rssIni[MAX_PATH], historyIni[MAX_PATH];
    RssDataPath(rssIni, L"rss.ini");
    RssDataPath(historyIni, L"history.ini");
    DeleteFileW(rssIni);
    DeleteFileW(historyIni);
    Start();

    EXPECT_EQ(host_->Send(kCodePressed), 0);
    EXPECT_EQ(host_->Host()->LoginQueries(), 1);
    EXPECT_GT(host_->Host()->RefCount(), 1);  // the button keeps the host
    EXPECT_EQ(Sinks(), 1u);                   // shown: the event sink is connected
    EXPECT_TRUE(host_->KillPluginTimer(kTimerStaleRefresh));
    EXPECT_TRUE(Exists(rssIni));
    EXPECT_TRUE(Exists(historyIni));
    wchar_t count[8] = {};
    GetPrivateProfileStringW(L"main", L"count", L"", count, 8, rssIni);
    EXPECT_STREQ(count, L"0");
    // The user number was confirmed by the toolbar and its folder made.
    EXPECT_NE(std::count(host_->UserQueries().begin(), host_->UserQueries().end(), 1001), 0);
    EXPECT_TRUE(Exists(DataRoot() + L"\\users\\1001"));
}

TEST_F(ButtonMessage, AFirstHiddenVisibilityIsTakenFromTheToolbar) {
    Start();
    EXPECT_EQ(host_->Send(kCodeVisibility, 0), 0);
    EXPECT_EQ(Sinks(), 1u);
    host_->Send(kCodeUnload);

    HostToolbar::Options hidden;
    hidden.showFrame = false;
    Start(hidden);
    EXPECT_EQ(host_->Send(kCodeVisibility, 0), 0);
    EXPECT_EQ(Sinks(), 0u);
    EXPECT_EQ(host_->Host()->Connects(), 0);
    EXPECT_TRUE(host_->KillPluginTimer(kTimerStaleRefresh));
}

TEST_F(ButtonMessage, OnlyAChangedVisibilityIsHandled) {
    HostToolbar::Options options;
    options.showFrame = false;
    Start(options);
    EXPECT_EQ(host_->Send(kCodeAttach), 1);
    EXPECT_EQ(host_->Send(kCodeVisibility, 1), 1);
    EXPECT_EQ(Sinks(), 1u);
    EXPECT_TRUE(host_->KillPluginTimer(kTimerStaleRefresh));

    EXPECT_EQ(host_->Send(kCodeVisibility, 1), 0);
    EXPECT_FALSE(host_->KillPluginTimer(kTimerStaleRefresh));
    EXPECT_EQ(host_->Host()->Connects(), 1);

    EXPECT_EQ(host_->Send(kCodeVisibility, 0), 1);
    EXPECT_EQ(Sinks(), 0u);
    EXPECT_EQ(host_->Host()->Disconnects(), 1);
    EXPECT_TRUE(host_->KillPluginTimer(kTimerStaleRefresh));
}

TEST_F(ButtonMessage, PlacedButtonLearnsVisibilityAtOnceUnlessTheToolbarLacksIt) {
    Start();
    EXPECT_EQ(host_->Send(kCodePlaced), 1);
    EXPECT_EQ(Sinks(), 1u);
    EXPECT_TRUE(host_->KillPluginTimer(kTimerStaleRefresh));
    EXPECT_EQ(host_->Send(kCodePlaced), 1);
    EXPECT_EQ(host_->Host()->LoginQueries(), 1);
    host_->Send(kCodeUnload);

    HostToolbar::Options absent;
    absent.placeButton = false;
    Start(absent);
    EXPECT_EQ(host_->Send(kCodePlaced), 1);
    EXPECT_EQ(host_->Host()->LoginQueries(), 1);
    EXPECT_FALSE(host_->KillPluginTimer(kTimerStaleRefresh));
    // The next message learns it: not on the toolbar, so hidden.
    EXPECT_EQ(host_->Send(kCodeUserState), 1);
    EXPECT_EQ(Sinks(), 0u);
    EXPECT_TRUE(host_->KillPluginTimer(kTimerStaleRefresh));
}

TEST_F(ButtonMessage, IconQueryAnswersUnlessAnotherProcessIsRefreshing) {
    Start();
    ASSERT_EQ(host_->Send(kCodeAttach), 1);
    COLORREF noFeed = ResourceIconPixel(host_->Plugin(), 108);
    ASSERT_NE(noFeed, ResourceIconPixel(host_->Plugin(), 109));

    IconQuery answer = host_->QueryIcon();
    EXPECT_EQ(answer.mask, 8u);
    ASSERT_NE(answer.icon, nullptr);
    EXPECT_EQ(IconPixel(answer.icon, 13, 2), noFeed);

    ASSERT_EQ(RunChildRole(L"set-refresh-flag", L"1"), 0);
    IconQuery untouched = {};
    untouched.mask = 0x55;
    EXPECT_EQ(host_->Send(kCodeIconQuery, reinterpret_cast<LONG_PTR>(&untouched)), 0);
    EXPECT_EQ(untouched.mask, 0x55u);
    EXPECT_EQ(untouched.icon, nullptr);

    ASSERT_EQ(RunChildRole(L"set-refresh-flag", L"0"), 0);
    EXPECT_EQ(host_->QueryIcon().mask, 8u);
    // A record the plug-in cannot write is left alone.
    EXPECT_EQ(host_->Send(kCodeIconQuery, 0), 0);
}

TEST_F(ButtonMessage, UnloadDisconnectsAndANewAttachStartsAFreshButton) {
    Start();
    ASSERT_EQ(host_->Send(kCodePlaced), 1);
    ASSERT_EQ(Sinks(), 1u);

    EXPECT_EQ(host_->Send(kCodeUnload), 1);
    EXPECT_EQ(Sinks(), 0u);
    EXPECT_EQ(host_->Host()->RefCount(), 1);
    EXPECT_FALSE(host_->KillPluginTimer(kTimerStaleRefresh));

    EXPECT_EQ(host_->Send(kCodeAttach), 1);
    EXPECT_EQ(host_->Host()->LoginQueries(), 2);
    EXPECT_EQ(host_->QueryIcon().mask, 8u);
}

TEST_F(ButtonMessage, UserMessagesFollowTheSharedBlockAndTheToolbarsAnswer) {
    Start();
    ASSERT_EQ(host_->Send(kCodeAttach), 1);
    CreateDirectoryTree((DataRoot() + L"\\users").c_str());
    RemoveDirectoryW((DataRoot() + L"\\users\\2002").c_str());

    host_->UserBlock().Set(2002, false);
    EXPECT_EQ(host_->Send(kCodeUserState), 1);
    // The unconfirmed path is formed, and its folder made, for the new user.
    EXPECT_TRUE(Exists(DataRoot() + L"\\users\\2002"));

    EXPECT_EQ(host_->Send(kCodeUserChanged), 1);
    EXPECT_EQ(host_->UserQueries().back(), 2002);
}

TEST_F(ButtonMessage, TheToolbarRelaysTheStaleRefreshTimerOnce) {
    Start();
    ASSERT_EQ(host_->Send(kCodePlaced), 1);
    // Placing arms the timer. It is armed again as the plug-in arms it, and
    // its first expiry is delivered at once rather than waited for.
    ASSERT_TRUE(host_->KillPluginTimer(kTimerStaleRefresh));
    SetTimer(host_->Toolbar(), kTimerStaleRefresh, kStaleRefreshDelay, nullptr);
    SendMessageW(host_->Toolbar(), WM_TIMER, kTimerStaleRefresh, 0);
    // The refresh it starts kills the timer before it could fire again.
    for (DWORD start = GetTickCount();
         host_->Notifications().size() < 2 && GetTickCount() - start < kPatienceMs;)
        host_->Pump(20);
    ASSERT_EQ(host_->Notifications().size(), 2u);
    EXPECT_EQ(host_->RelayedTimers(), (std::vector<UINT_PTR>{kTimerStaleRefresh}));
    EXPECT_FALSE(host_->KillPluginTimer(kTimerStaleRefresh));
}

TEST_F(ButtonMessage, ButtonsOfDifferentKeysAreIndependent) {
    Start();
    HostToolbar second;
    ASSERT_TRUE(second.Create());
    ASSERT_TRUE(second.LoadPlugin(PluginPath()));
    ASSERT_EQ(host_->Send(kCodePlaced), 1);
    ASSERT_EQ(second.Send(kCodePlaced), 1);
    EXPECT_EQ(second.Send(kCodeUnload), 1);
    EXPECT_EQ(second.Browser()->SinkCount(), 0u);
    EXPECT_EQ(Sinks(), 1u);
    EXPECT_EQ(host_->Host()->LoginQueries(), 1);
}

TEST_F(ButtonMessage, AHostWithoutABrowserStillGetsAWorkingButton) {
    Start();
    host_->Host()->SetBrowserQueryResult(E_NOINTERFACE);
    EXPECT_EQ(host_->Send(kCodePlaced), 1);
    EXPECT_EQ(host_->Send(kCodeVisibility, 0), 1);
    EXPECT_EQ(host_->Send(kCodeVisibility, 1), 1);
    EXPECT_EQ(host_->QueryIcon().mask, 8u);
}
