// Harvest of a channel's item links into the browser history, against a
// recording URL history registered in this process under CLSID_CUrlHistory.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "history/UrlHistoryRecorder.h"
#include "server/LinkHarvest.h"

namespace {

class LinkHarvestTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        recorder_ = new UrlHistoryRecorder();
        ASSERT_TRUE(recorder_->Registered());
        UrlHistoryRecorder::Clear();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        temp_ = temp;
    }
    void TearDown() override {
        for (const std::string& path : written_) DeleteFileA(path.c_str());
        delete recorder_;
        CoUninitialize();
    }

    // Writes the item list of a page name into the temporary folder.
    void WriteList(const std::string& pageName, const std::string& content) {
        std::string path = temp_ + pageName;
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
        written_.push_back(path);
    }

    static std::string Item(const std::string& link) {
        return "<div id=\"item\"><div id=\"title\"><a href=\"" + link +
               "\">Title</a></div><div id=\"description\">text</div></div>";
    }

    static std::string Page(const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<html><body>" + body + "</body></html>";
    }

    using Urls = std::vector<std::wstring>;

    UrlHistoryRecorder* recorder_ = nullptr;
    std::string temp_;
    std::vector<std::string> written_;
};

TEST_F(LinkHarvestTest, CreatesBothObjectsOnce) {
    LinkHarvest harvest;
    EXPECT_TRUE(harvest.HasHistory());
    EXPECT_TRUE(harvest.HasDocument());
    EXPECT_EQ(UrlHistoryRecorder::Created(), 1);
    WriteList("harvest_once", Page(Item("http://a/")));
    harvest.Harvest(L"harvest_once");
    harvest.Harvest(L"harvest_once");
    EXPECT_EQ(UrlHistoryRecorder::Created(), 1);
    EXPECT_EQ(UrlHistoryRecorder::RecordedUrls(), (Urls{L"http://a/", L"http://a/"}));
}

TEST_F(LinkHarvestTest, RecordsEachNonEmptyTitleLinkInOrderWithoutTitleOrFlags) {
    WriteList("harvest_three", Page(Item("http://example.test/a") + Item("") +
                                    Item("http://example.test/c?x=1&amp;y=2")));
    LinkHarvest harvest;
    harvest.Harvest(L"harvest_three");
    std::vector<RecordedUrl> recorded = UrlHistoryRecorder::Recorded();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].url, L"http://example.test/a");
    EXPECT_EQ(recorded[1].url, L"http://example.test/c?x=1&y=2");
    for (const RecordedUrl& entry : recorded) {
        EXPECT_EQ(entry.title, L"(null)");
        EXPECT_EQ(entry.flags, 0u);
    }
}

TEST_F(LinkHarvestTest, OnlyLinksInTheTitleOfAnItemCount) {
    std::string body =
        // Another id on the outer or the inner div.
        "<div id=\"items\"><div id=\"title\"><a href=\"http://x/1\">t</a></div></div>"
        "<div id=\"item\"><div id=\"subtitle\"><a href=\"http://x/2\">t</a></div></div>"
        // An anchor in the item but outside its title, or deeper than a child.
        "<div id=\"item\"><a href=\"http://x/3\">t</a>"
        "<div id=\"title\"><span><a href=\"http://x/4\">t</a></span></div></div>"
        // href on other elements.
        "<div id=\"item\"><div id=\"title\" href=\"http://x/5\"><b href=\"http://x/6\">t</b>"
        "</div></div>"
        // A title div that is not a child of the item div.
        "<div id=\"title\"><a href=\"http://x/7\">t</a></div>"
        // The one that counts, nested anywhere in the page.
        "<table><tr><td>" +
        Item("http://x/ok") + "</td></tr></table>";
    WriteList("harvest_structure", Page(body));
    LinkHarvest harvest;
    harvest.Harvest(L"harvest_structure");
    EXPECT_EQ(UrlHistoryRecorder::RecordedUrls(), Urls{L"http://x/ok"});
}

TEST_F(LinkHarvestTest, NotWellFormedFileRecordsNothing) {
    WriteList("harvest_broken", "<html><body>" + Item("http://x/a") +
                                    "<div id=\"item\"><br>"
                                    "</body></html>");
    LinkHarvest harvest;
    harvest.Harvest(L"harvest_broken");
    EXPECT_TRUE(UrlHistoryRecorder::Recorded().empty());
}

TEST_F(LinkHarvestTest, MissingFileOrEmptyNameRecordsNothing) {
    LinkHarvest harvest;
    harvest.Harvest(L"harvest_no_such_page");
    harvest.Harvest(L"");
    harvest.Harvest(nullptr);
    EXPECT_TRUE(UrlHistoryRecorder::Recorded().empty());
}

TEST_F(LinkHarvestTest, EachLoadReplacesTheDocument) {
    WriteList("harvest_first", Page(Item("http://x/first")));
    LinkHarvest harvest;
    harvest.Harvest(L"harvest_first");
    // A broken second file must not give the first file's links again.
    WriteList("harvest_second", "<not closed>");
    harvest.Harvest(L"harvest_second");
    EXPECT_EQ(UrlHistoryRecorder::RecordedUrls(), Urls{L"http://x/first"});
}

TEST_F(LinkHarvestTest, PageNameIsConvertedWithTheThreadCodePage) {
    // 频道 in the ANSI code page of the tests (936).
    std::string ansiName = "harvest_\xC6\xB5\xB5\xC0";
    WriteList(ansiName, Page(Item("http://x/chinese")));
    LinkHarvest harvest;
    harvest.Harvest(L"harvest_\x9891\x9053");
    EXPECT_EQ(UrlHistoryRecorder::RecordedUrls(), Urls{L"http://x/chinese"});
    EXPECT_EQ(LinkHarvest::ItemListPath(L"harvest_\x9891\x9053"), temp_ + ansiName);
}

TEST_F(LinkHarvestTest, WithoutTheRecordingHistoryNothingFails) {
    delete recorder_;
    recorder_ = nullptr;
    // Wine's own history answers E_NOTIMPL; the harvest carries on silently.
    LinkHarvest harvest;
    WriteList("harvest_nohistory", Page(Item("http://x/a")));
    harvest.Harvest(L"harvest_nohistory");
    EXPECT_TRUE(UrlHistoryRecorder::Recorded().empty());
    EXPECT_EQ(UrlHistoryRecorder::Created(), 0);
}

}  // namespace
