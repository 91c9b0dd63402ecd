// The band object as the browser drives it: created with CoCreateInstance
// after registration, given a site with a browser, shown, hidden, dragged
// over and taken down again.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <exdispid.h>
#include <shlobj.h>

#include <string>

#include "BandTestObjects.h"
#include "RssLib.h"
#include "browser/BandSite.h"
#include "browser/PartnerWindow.h"
#include "browser/WebBrowserStandin.h"
#include "testengine/EngineControl.h"
#include "server/EngineLink.h"
#include "server/EngineProtocol.h"
#include "support/BandTestSupport.h"
#include "support/TestPaths.h"

namespace {

template <class T>
T* Query(IUnknown* object, REFIID riid) {
    T* result = nullptr;
    object->QueryInterface(riid, reinterpret_cast<void**>(&result));
    return result;
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

class RssBandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        log_ = new TempFolder;
        SetEnvironmentVariableW(L"FEED_ENGINE_LOG", log_->File(L"engine.log").c_str());
        SetEnvironmentVariableW(L"FEED_ENGINE_DATA", log_->Path().c_str());
        CloseEngines();
        HMODULE dll = LoadLibraryW(BuildPath("band/rssband.dll").c_str());
        auto registerServer =
            reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(dll, "DllRegisterServer"));
        ASSERT_TRUE(registerServer);
        ASSERT_EQ(S_OK, registerServer());
        FreeLibrary(dll);
        // Running before a band looks for it: a start slowed by a busy
        // machine would show the band's error box. Answered, it is waited for.
        MessageBoxWatcher slowStart;
        std::wstring module = BuildPath("band/rssband.dll");
        if (!EngineLink().FindOrStart(std::string(module.begin(), module.end())))
            WaitForWindowClass("RSS_Feed", kPatienceMs);
    }
    static void TearDownTestSuite() {
        CloseEngines();
        // The registration goes with the suite: the type library's key is one
        // for the 32-bit and the 64-bit build, and a registration left behind
        // keeps the other build's unregistration from removing it.
        HMODULE dll = LoadLibraryW(BuildPath("band/rssband.dll").c_str());
        auto unregisterServer =
            reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(dll, "DllUnregisterServer"));
        EXPECT_TRUE(unregisterServer && unregisterServer() == S_OK);
        FreeLibrary(dll);
        SetEnvironmentVariableW(L"FEED_ENGINE_LOG", nullptr);
        SetEnvironmentVariableW(L"FEED_ENGINE_DATA", nullptr);
        delete log_;
    }

    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_RssBand, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                         reinterpret_cast<void**>(&band_)));
        browser_ = WebBrowserStandin::Create();
    }
    void TearDown() override {
        if (band_) band_->Release();
        if (site_) site_->Release();
        browser_->Release();
        CoUninitialize();
        EXPECT_TRUE(boxes_.Boxes().empty());
    }

    // Sites the band in a browser frame; the engine is found or started.
    HWND Site() {
        site_ = BandSite::Create(browser_);
        browser_->SetWindow(site_->Frame());
        IObjectWithSite* withSite = Query<IObjectWithSite>(band_, IID_IObjectWithSite);
        EXPECT_EQ(S_OK, withSite->SetSite(static_cast<IServiceProvider*>(site_)));
        withSite->Release();
        return BandWindow();
    }
    void Unsite() {
        IObjectWithSite* withSite = Query<IObjectWithSite>(band_, IID_IObjectWithSite);
        EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
        withSite->Release();
    }
    HWND BandWindow() {
        IDeskBand* deskBand = Query<IDeskBand>(band_, IID_IDeskBand);
        HWND window = reinterpret_cast<HWND>(1);
        EXPECT_EQ(S_OK, deskBand->GetWindow(&window));
        deskBand->Release();
        return window;
    }
    std::vector<std::string> EngineLog() { return ReadLines(log_->File(L"engine.log")); }
    bool WaitForLogLine(const std::string& line) {
        return PumpUntil([&] {
            for (const std::string& seen : EngineLog()) {
                if (seen == line) return true;
            }
            return false;
        });
    }

    static TempFolder* log_;
    MessageBoxWatcher boxes_;
    IUnknown* band_ = nullptr;
    WebBrowserStandin* browser_ = nullptr;
    BandSite* site_ = nullptr;
};
TempFolder* RssBandTest::log_ = nullptr;

TEST_F(RssBandTest, AnswersItsInterfacesButNotTheWindowBases) {
    for (const IID* iid :
         {&IID_IRssBand, &IID_IDispatch, &IID_IObjectWithSite, &IID_IDeskBand, &IID_IInputObject,
          &IID_IPersistStreamInit, &IID_IPersist, &IID_IDropTarget}) {
        IUnknown* part = Query<IUnknown>(band_, *iid);
        ASSERT_TRUE(part);
        IUnknown* identity = Query<IUnknown>(part, IID_IUnknown);
        EXPECT_EQ(band_, identity);
        identity->Release();
        part->Release();
    }
    for (const IID* iid : {&IID_IOleWindow, &IID_IDockingWindow, &IID_IPersistStream}) {
        void* part = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, band_->QueryInterface(*iid, &part));
        EXPECT_EQ(nullptr, part);
    }
}

TEST_F(RssBandTest, DispatchKnowsNoMembers) {
    IDispatch* dispatch = Query<IDispatch>(band_, IID_IDispatch);
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, 0, &info));
    info->Release();
    LPOLESTR name = const_cast<LPOLESTR>(L"Refresh");
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
    DISPPARAMS none = {};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
    dispatch->Release();
}

TEST_F(RssBandTest, BandInfo) {
    IDeskBand* deskBand = Query<IDeskBand>(band_, IID_IDeskBand);
    DESKBANDINFO info = {};
    info.dwMask = DBIM_BKCOLOR;
    EXPECT_EQ(S_OK, deskBand->GetBandInfo(0, DBIF_VIEWMODE_VERTICAL, &info));
    EXPECT_EQ(0u, info.dwMask);

    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE |
                  DBIM_MODEFLAGS | DBIM_BKCOLOR;
    info.ptActual = {5, 5};
    EXPECT_EQ(S_OK, deskBand->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, &info));
    EXPECT_EQ(static_cast<DWORD>(DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL |
                                 DBIM_TITLE | DBIM_MODEFLAGS),
              info.dwMask);
    EXPECT_EQ(160, info.ptMinSize.x);
    EXPECT_EQ(160, info.ptMinSize.y);
    EXPECT_EQ(-1, info.ptMaxSize.x);
    EXPECT_EQ(-1, info.ptMaxSize.y);
    EXPECT_EQ(1, info.ptIntegral.x);
    EXPECT_EQ(1, info.ptIntegral.y);
    EXPECT_EQ(0, info.ptActual.x);
    EXPECT_EQ(0, info.ptActual.y);
    EXPECT_STREQ(L"我的订阅", info.wszTitle);
    EXPECT_EQ(static_cast<DWORD>(DBIMF_VARIABLEHEIGHT), info.dwModeFlags);
    EXPECT_EQ(E_INVALIDARG, deskBand->GetBandInfo(0, 0, nullptr));
    deskBand->Release();
}

TEST_F(RssBandTest, BeforeAnySiteEverythingIsQuiet) {
    IDeskBand* deskBand = Query<IDeskBand>(band_, IID_IDeskBand);
    EXPECT_EQ(S_OK, deskBand->ShowDW(TRUE));
    EXPECT_EQ(S_OK, deskBand->CloseDW(0));
    EXPECT_EQ(nullptr, BandWindow());
    EXPECT_EQ(E_NOTIMPL, deskBand->ResizeBorderDW(nullptr, nullptr, FALSE));
    deskBand->Release();

    IObjectWithSite* withSite = Query<IObjectWithSite>(band_, IID_IObjectWithSite);
    void* site = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_FAIL, withSite->GetSite(IID_IUnknown, &site));
    EXPECT_EQ(nullptr, site);
    EXPECT_EQ(E_POINTER, withSite->GetSite(IID_IUnknown, nullptr));
    withSite->Release();

    IInputObject* input = Query<IInputObject>(band_, IID_IInputObject);
    EXPECT_EQ(S_OK, input->UIActivateIO(TRUE, nullptr));
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
    input->Release();

    IDropTarget* drop = Query<IDropTarget>(band_, IID_IDropTarget);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, drop->DragLeave());
    EXPECT_EQ(S_OK, drop->DragEnter(nullptr, 0, {1, 1}, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
    drop->Release();
}

HRESULT LoadValue(IPersistStreamInit* persist, const void* bytes, ULONG size) {
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    stream->Write(bytes, size, nullptr);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    HRESULT hr = persist->Load(stream);
    stream->Release();
    return hr;
}

TEST_F(RssBandTest, StreamHoldsOneValue) {
    IPersistStreamInit* persist = Query<IPersistStreamInit>(band_, IID_IPersistStreamInit);
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_RssBand, clsid));
    EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
    ULARGE_INTEGER size = {};
    EXPECT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(4u, size.QuadPart);

    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(S_OK, persist->IsDirty());
    DWORD tooNew = 0x711;
    EXPECT_EQ(E_FAIL, LoadValue(persist, &tooNew, 4));
    EXPECT_EQ(S_OK, persist->IsDirty());
    EXPECT_EQ(E_FAIL, LoadValue(persist, "\x10\x07", 2));
    EXPECT_EQ(S_OK, persist->IsDirty());
    DWORD older = 0x100;
    EXPECT_EQ(S_OK, LoadValue(persist, &older, 4));
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    persist->InitNew();
    EXPECT_EQ(S_OK, persist->Save(stream, FALSE));
    EXPECT_EQ(S_OK, persist->IsDirty());
    EXPECT_EQ(S_OK, persist->Save(stream, TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(8u, stat.cbSize.QuadPart);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    BYTE bytes[4] = {};
    stream->Read(bytes, 4, nullptr);
    EXPECT_EQ(0x10, bytes[0]);
    EXPECT_EQ(0x07, bytes[1]);
    EXPECT_EQ(0, bytes[2] | bytes[3]);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(S_OK, persist->Load(stream));
    stream->Release();
    persist->Release();
}

TEST_F(RssBandTest, SiteWithoutBrowserServiceIsRefused) {
    IObjectWithSite* withSite = Query<IObjectWithSite>(band_, IID_IObjectWithSite);
    for (BandSite::Services services : {BandSite::Services::NoBrowser, BandSite::Services::None}) {
        BandSite* site = BandSite::Create(browser_, services);
        EXPECT_EQ(E_FAIL, withSite->SetSite(static_cast<IServiceProvider*>(site)));
        EXPECT_EQ(nullptr, BandWindow());
        EXPECT_EQ(0u, browser_->SinkCount());
        // The site stays stored all the same.
        IUnknown* stored = nullptr;
        EXPECT_EQ(S_OK, withSite->GetSite(IID_IUnknown, reinterpret_cast<void**>(&stored)));
        EXPECT_EQ(static_cast<IUnknown*>(static_cast<IServiceProvider*>(site)), stored);
        stored->Release();
        EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
        site->Release();
    }
    withSite->Release();
}

TEST_F(RssBandTest, SiteCreatesTheBandWindowAndAttachesThePaneToTheEngine) {
    HWND band = Site();
    ASSERT_TRUE(band);
    EXPECT_EQ("RSS_SplitterWindow", ClassOf(band));
    EXPECT_EQ(site_->Host(), GetParent(band));
    EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS),
              GetWindowLongA(band, GWL_STYLE));
    RECT bandRect, hostRect;
    GetClientRect(band, &bandRect);
    GetClientRect(site_->Host(), &hostRect);
    EXPECT_TRUE(EqualRect(&bandRect, &hostRect));

    HWND pane = FindWindowExA(band, nullptr, "RSS_FeedTreePane", nullptr);
    ASSERT_TRUE(pane);
    RECT paneRect;
    GetWindowRect(pane, &paneRect);
    EXPECT_EQ(bandRect.right, paneRect.right - paneRect.left);
    EXPECT_EQ(bandRect.bottom, paneRect.bottom - paneRect.top);
    EXPECT_EQ(1u, browser_->SinkCount());
    EXPECT_TRUE(FindWindowA("RSS_Feed", nullptr));
    EXPECT_TRUE(WaitForLogLine("2024 0 " + std::to_string(reinterpret_cast<ULONG_PTR>(pane))));

    IUnknown* stored = nullptr;
    IObjectWithSite* withSite = Query<IObjectWithSite>(band_, IID_IObjectWithSite);
    EXPECT_EQ(S_OK, withSite->GetSite(IID_IOleWindow, reinterpret_cast<void**>(&stored)));
    EXPECT_TRUE(stored);
    if (stored) stored->Release();
    withSite->Release();

    Unsite();
    EXPECT_FALSE(IsWindow(band));
    EXPECT_FALSE(IsWindow(pane));
    EXPECT_EQ(nullptr, BandWindow());
    // Events stop with the site.
    EXPECT_EQ(0u, browser_->SinkCount());
}

TEST_F(RssBandTest, EngineDescribesItsTreeToTheNewPane) {
    {
        MessageBoxWatcher slowStart;
        EngineLink link;
        std::wstring module = BuildPath("band/rssband.dll");
        ASSERT_TRUE(link.FindOrStart(std::string(module.begin(), module.end())) ||
                    WaitForWindowClass("RSS_Feed", kPatienceMs));
    }
    ASSERT_EQ(5, SendEngineScript("reset\n"
                                  "node\t1\t0\tfolder\t新闻\n"
                                  "node\t2\t1\tchannel\t国内新闻\trss_2\n"
                                  "node\t3\t1\tchannel\tTech News\trss_3\n"
                                  "node\t4\t0\tchannel\t博客\trss_4\n"));
    HWND band = Site();
    HWND pane = FindWindowExA(band, nullptr, "RSS_FeedTreePane", nullptr);
    ASSERT_TRUE(pane);
    MessageSpy spy;
    spy.Attach(pane);
    PumpUntil([&] { return spy.Count(WM_RSS_EXPAND) != 0; });

    // Inserts first, then the texts out of one batch, re-sent by the pane
    // to itself record by record.
    ASSERT_EQ(10u, spy.seen.size());
    EXPECT_EQ(WM_RSS_FOLDER, spy.seen[0].message);
    EXPECT_EQ(1u, spy.seen[0].wParam);
    EXPECT_EQ(WM_RSS_CHANNEL, spy.seen[1].message);
    EXPECT_EQ(2u, spy.seen[1].wParam);
    EXPECT_EQ(1, spy.seen[1].lParam);
    EXPECT_EQ(4, spy.Count(WM_RSS_ITEM_TEXT));
    EXPECT_EQ(WM_RSS_ITEM_TEXT, spy.seen[4].message);
    EXPECT_EQ(L"新闻", spy.seen[4].item);
    EXPECT_EQ(L"", spy.seen[4].page);
    EXPECT_EQ(L"国内新闻", spy.seen[5].item);
    EXPECT_EQ(L"rss_2", spy.seen[5].page);
    EXPECT_EQ(L"Tech News", spy.seen[6].item);
    // The folder's children sorted once they have their texts.
    EXPECT_EQ(WM_RSS_SORT, spy.seen[8].message);
    EXPECT_EQ(1u, spy.seen[8].wParam);
    EXPECT_EQ(WM_RSS_EXPAND, spy.seen[9].message);
    Unsite();
}

TEST_F(RssBandTest, ShowAndCloseTellTheEngineAndTheBrowserToolbars) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND band = Site();
    ASSERT_TRUE(band);
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD, 0, 0, 10, 10, site_->Frame(),
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    MessageSpy spy;
    spy.Attach(toolbar);
    std::string bandId = std::to_string(reinterpret_cast<ULONG_PTR>(band));

    IDeskBand* deskBand = Query<IDeskBand>(band_, IID_IDeskBand);
    EXPECT_EQ(S_OK, deskBand->ShowDW(TRUE));
    EXPECT_TRUE(GetWindowLongA(band, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(1, spy.Count(WM_RSS_TOOLBAR_SYNC));
    EXPECT_TRUE(WaitForLogLine("2041 " + bandId + " 1"));

    EXPECT_EQ(S_OK, deskBand->CloseDW(0));
    EXPECT_FALSE(GetWindowLongA(band, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(IsWindow(band));
    EXPECT_EQ(2, spy.Count(WM_RSS_TOOLBAR_SYNC));
    EXPECT_TRUE(WaitForLogLine("2041 " + bandId + " 0"));

    EXPECT_EQ(S_OK, deskBand->ShowDW(TRUE));
    IInputObject* input = Query<IInputObject>(band_, IID_IInputObject);
    SetForegroundWindow(site_->Frame());
    EXPECT_EQ(S_OK, input->UIActivateIO(TRUE, nullptr));
    // The frame hands the focus on to the pane.
    EXPECT_EQ(FindWindowExA(band, nullptr, "RSS_FeedTreePane", nullptr), GetFocus());
    EXPECT_EQ(S_OK, input->HasFocusIO());
    SetFocus(site_->Frame());
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
    input->Release();
    deskBand->Release();
    Unsite();
}

// A window of the test holding a tree control, where drags are aimed.
struct DropScene {
    DropScene() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "BandTestDropScene";
        RegisterClassA(&windowClass);
        scene =
            CreateWindowExA(WS_EX_TOPMOST, "BandTestDropScene", "", WS_POPUP | WS_VISIBLE, 300, 300,
                            200, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, scene,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        spy.Attach(scene);
        PumpMessages(50);
    }
    ~DropScene() { DestroyWindow(scene); }
    HWND scene;
    HWND tree;
    MessageSpy spy;
    POINTL overTree = {400, 350};
    POINTL besideTree = {400, 450};
};

TEST_F(RssBandTest, DragsReachTheTreeUnderThePointOnly) {
    HWND band = Site();
    ASSERT_TRUE(band);
    HWND pane = FindWindowExA(band, nullptr, "RSS_FeedTreePane", nullptr);
    DropScene scene;
    MessageSpy paneSpy;
    paneSpy.Attach(pane);
    MessageSpy::Current() = &scene.spy;

    IDropTarget* drop = Query<IDropTarget>(band_, IID_IDropTarget);
    TextData link("http://example.com/feed.xml");
    DWORD effect = DROPEFFECT_LINK;
    EXPECT_EQ(S_OK, drop->DragEnter(&link, 0, scene.besideTree, &effect));
    EXPECT_EQ(S_OK, drop->DragOver(0, scene.besideTree, &effect));
    EXPECT_EQ(S_OK, drop->Drop(&link, 0, scene.besideTree, &effect));
    EXPECT_TRUE(scene.spy.seen.empty());

    EXPECT_EQ(S_OK, drop->DragEnter(&link, 0, scene.overTree, &effect));
    EXPECT_EQ(S_OK, drop->DragOver(0, scene.overTree, &effect));
    EXPECT_EQ(S_OK, drop->Drop(&link, 0, scene.overTree, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_LINK), effect);
    ASSERT_EQ(3u, scene.spy.seen.size());
    LPARAM point = MAKELPARAM(400, 350);
    EXPECT_EQ(WM_RSS_DRAG_ENTER, scene.spy.seen[0].message);
    EXPECT_EQ(point, scene.spy.seen[0].lParam);
    EXPECT_EQ(WM_RSS_DROP, scene.spy.seen[1].message);
    EXPECT_EQ(0u, scene.spy.seen[1].wParam);
    EXPECT_EQ(WM_RSS_DROP, scene.spy.seen[2].message);
    EXPECT_EQ("http://example.com/feed.xml", scene.spy.seen[2].text);
    EXPECT_EQ(point, scene.spy.seen[2].lParam);

    // Data without text is refused; leaving goes to the band's own pane.
    TextData nothing(nullptr);
    EXPECT_EQ(E_FAIL, drop->Drop(&nothing, 0, scene.overTree, &effect));
    EXPECT_EQ(3u, scene.spy.seen.size());
    MessageSpy::Current() = &paneSpy;
    EXPECT_EQ(S_OK, drop->DragLeave());
    EXPECT_EQ(1, paneSpy.Count(WM_RSS_DRAG_LEAVE));
    drop->Release();
    Unsite();
}

TEST_F(RssBandTest, PartnerIsFoundPastTheAddressBoxAndToldWhenTheBandGoes) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    BandSite* site = BandSite::Create(browser_);
    browser_->SetWindow(site->Frame());
    PartnerWindow addressBox(site->Frame(), "ComboBoxEx32");
    ASSERT_TRUE(addressBox.Handle());
    IObjectWithSite* withSite = Query<IObjectWithSite>(band_, IID_IObjectWithSite);
    ASSERT_EQ(S_OK, withSite->SetSite(static_cast<IServiceProvider*>(site)));
    HWND pane = FindWindowExA(BandWindow(), nullptr, "RSS_FeedTreePane", nullptr);

    // Only the marked address box so far: no partner.
    browser_->FireBeforeNavigate2(L"http://a.example/");
    browser_->FireNavigateComplete2(L"http://a.example/");
    EXPECT_TRUE(addressBox.Messages().empty());

    PartnerWindow partner(site->Frame());
    browser_->FireBeforeNavigate2(L"http://b.example/");
    ASSERT_EQ(1, partner.Count(WM_RSS_PARTNER_ATTACH));
    EXPECT_EQ(reinterpret_cast<WPARAM>(pane), partner.Messages()[0].wParam);
    // Found once: later navigations do not search again.
    browser_->FireBeforeNavigate2(L"http://c.example/");
    EXPECT_EQ(1, partner.Count(WM_RSS_PARTNER_ATTACH));

    EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
    ASSERT_EQ(2, partner.Count(WM_RSS_PARTNER_ATTACH));
    EXPECT_EQ(0u, partner.Messages().back().wParam);
    EXPECT_TRUE(addressBox.Messages().empty());
    withSite->Release();
    site->Release();
}

}  // namespace
