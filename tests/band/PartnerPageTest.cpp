// Page requests to the partner window on DownloadBegin: at most one a second,
// none while navigating, and always after the tick count wrapped. The object
// comes from the class factory linked into this test, whose clock is ours.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "RssLib.h"
#include "browser/BandSite.h"
#include "browser/PartnerWindow.h"
#include "browser/WebBrowserStandin.h"
#include "server/ClassFactory.h"
#include "server/EngineLink.h"
#include "server/EngineProtocol.h"
#include "server/RssBand.h"
#include "support/BandTestSupport.h"
#include "support/TestPaths.h"

namespace {

DWORD g_now = 0;
DWORD WINAPI TestTicks() {
    return g_now;
}

class PartnerPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The pane inside this program looks for the engine beside the
        // program: have the real one running already.
        // A slow start shows the band's error box: answered, the window is
        // waited for.
        MessageBoxWatcher slowStart;
        std::wstring band = BuildPath("band/rssband.dll");
        ASSERT_TRUE(EngineLink().FindOrStart(std::string(band.begin(), band.end())) ||
                    WaitForWindowClass("RSS_Feed", kPatienceMs));
    }
    static void TearDownTestSuite() { CloseEngines(); }

    void SetUp() override {
        CoInitialize(nullptr);
        RssBand::SetTickSource(TestTicks);
        IClassFactory* factory = nullptr;
        ASSERT_EQ(S_OK, GetRssBandClassObject(CLSID_RssBand, IID_IClassFactory,
                                              reinterpret_cast<void**>(&factory)));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IObjectWithSite,
                                                reinterpret_cast<void**>(&band_)));
        factory->Release();
        browser_ = WebBrowserStandin::Create();
        site_ = BandSite::Create(browser_);
        browser_->SetWindow(site_->Frame());
        partner_ = new PartnerWindow(site_->Frame());
        ASSERT_EQ(S_OK, band_->SetSite(static_cast<IServiceProvider*>(site_)));
        IDeskBand* deskBand = nullptr;
        band_->QueryInterface(IID_IDeskBand, reinterpret_cast<void**>(&deskBand));
        HWND frame = nullptr;
        deskBand->GetWindow(&frame);
        deskBand->Release();
        pane_ = FindWindowExA(frame, nullptr, "RSS_FeedTreePane", nullptr);
        ASSERT_EQ(1, partner_->Count(WM_RSS_PARTNER_ATTACH));
        partner_->Clear();
    }
    void TearDown() override {
        band_->SetSite(nullptr);
        band_->Release();
        delete partner_;
        site_->Release();
        browser_->Release();
        RssBand::SetTickSource(nullptr);
        CoUninitialize();
        EXPECT_TRUE(boxes_.Boxes().empty());
    }

    void DownloadBeginAt(DWORD now) {
        g_now = now;
        browser_->FireDownloadBegin();
    }
    int PageRequests() const { return partner_->Count(WM_RSS_PARTNER_PAGE); }

    MessageBoxWatcher boxes_;
    IObjectWithSite* band_ = nullptr;
    WebBrowserStandin* browser_ = nullptr;
    BandSite* site_ = nullptr;
    PartnerWindow* partner_ = nullptr;
    HWND pane_ = nullptr;
};

TEST_F(PartnerPageTest, AtMostOneRequestPerSecond) {
    DownloadBeginAt(10000);
    ASSERT_EQ(1, PageRequests());
    EXPECT_EQ(reinterpret_cast<WPARAM>(pane_), partner_->Messages().back().wParam);
    EXPECT_EQ(1, partner_->Count(WM_RSS_PARTNER_QUERY));

    DownloadBeginAt(10500);
    EXPECT_EQ(1, PageRequests());
    // 10500 left the stamp at 10000: exactly a second later is still too soon.
    DownloadBeginAt(11000);
    EXPECT_EQ(1, PageRequests());
    DownloadBeginAt(11001);
    EXPECT_EQ(2, PageRequests());
    EXPECT_EQ(4, partner_->Count(WM_RSS_PARTNER_QUERY));
}

TEST_F(PartnerPageTest, TickWrapAlwaysRequests) {
    DownloadBeginAt(0xFFFFFE00);
    ASSERT_EQ(1, PageRequests());
    DownloadBeginAt(0x00000100);
    EXPECT_EQ(2, PageRequests());
    DownloadBeginAt(0x00000200);
    EXPECT_EQ(2, PageRequests());
}

TEST_F(PartnerPageTest, NavigationAndAPartnerWithoutWishesOnlyMoveTheStamp) {
    browser_->FireBeforeNavigate2(L"http://a.example/");
    DownloadBeginAt(20000);
    EXPECT_EQ(0, PageRequests());
    // Not even asked while the browser navigates.
    EXPECT_EQ(0, partner_->Count(WM_RSS_PARTNER_QUERY));
    browser_->FireNavigateComplete2(L"http://a.example/");
    DownloadBeginAt(20900);
    EXPECT_EQ(0, PageRequests());

    partner_->SetQueryAnswer(0);
    DownloadBeginAt(30000);
    EXPECT_EQ(0, PageRequests());
    partner_->SetQueryAnswer(1);
    DownloadBeginAt(30500);
    EXPECT_EQ(0, PageRequests());
    DownloadBeginAt(31001);
    EXPECT_EQ(1, PageRequests());
}

TEST_F(PartnerPageTest, NoPartnerNoRequest) {
    delete partner_;
    partner_ = new PartnerWindow(site_->Frame());
    // The band still holds the first partner, which is gone.
    DownloadBeginAt(50000);
    EXPECT_EQ(0, PageRequests());
    EXPECT_EQ(0, partner_->Count(WM_RSS_PARTNER_QUERY));
}

}  // namespace
