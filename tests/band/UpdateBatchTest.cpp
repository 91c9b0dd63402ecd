// The engine's update batches: record layout, the ends of a walk, and
// batches that would make a reader run past the data it was given.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "server/EngineProtocol.h"
#include "server/PartnerPage.h"
#include "server/UpdateBatch.h"

namespace {

struct Record {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::wstring text;
    std::wstring page;
};

class BatchBuilder {
public:
    BatchBuilder& Dword(DWORD value) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
        data_.insert(data_.end(), bytes, bytes + 4);
        return *this;
    }
    BatchBuilder& Message(UINT message, DWORD wParam, DWORD lParam) {
        return Dword(message).Dword(wParam).Dword(lParam);
    }
    BatchBuilder& Text(DWORD node, const std::wstring& text, const std::wstring& page) {
        Dword(WM_RSS_ITEM_TEXT).Dword(node);
        Wide(text);
        return Wide(page);
    }
    BatchBuilder& Wide(const std::wstring& text) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
        data_.insert(data_.end(), bytes, bytes + (text.size() + 1) * 2);
        return *this;
    }
    BatchBuilder& Bytes(std::initializer_list<BYTE> bytes) {
        data_.insert(data_.end(), bytes);
        return *this;
    }
    const std::vector<BYTE>& Data() const { return data_; }

private:
    std::vector<BYTE> data_;
};

// Reads a string that may start at an odd address.
std::wstring ReadWide(const BYTE* at) {
    std::wstring text;
    for (;; at += 2) {
        wchar_t ch;
        std::memcpy(&ch, at, 2);
        if (!ch) return text;
        text += ch;
    }
}

Record MakeRecord(UINT message, WPARAM wParam, LPARAM lParam) {
    Record record{message, wParam, lParam, L"", L""};
    if (message == WM_RSS_ITEM_TEXT) {
        const BYTE* text = reinterpret_cast<const BYTE*>(lParam);
        record.text = ReadWide(text);
        record.page = ReadWide(text + (record.text.size() + 1) * 2);
    }
    return record;
}

std::vector<Record> Walk(const BYTE* data, size_t size) {
    std::vector<Record> records;
    WalkUpdateBatch(data, size, [&](UINT message, WPARAM wParam, LPARAM lParam) {
        records.push_back(MakeRecord(message, wParam, lParam));
    });
    return records;
}

std::vector<Record> Walk(const std::vector<BYTE>& batch) {
    return Walk(batch.data(), batch.size());
}

// The batch copied to the very end of a readable page, with an unreadable
// page right after it: reading one byte too far faults.
class GuardedBuffer {
public:
    explicit GuardedBuffer(const std::vector<BYTE>& batch) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<BYTE*>(
            VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
        data_ = base_ + page_ - batch.size();
        std::memcpy(data_, batch.data(), batch.size());
    }
    ~GuardedBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }
    const BYTE* Data() const { return data_; }

private:
    DWORD page_;
    BYTE* base_;
    BYTE* data_;
};

TEST(UpdateBatchTest, LoneTerminatorHandsOnNothing) {
    EXPECT_TRUE(Walk(BatchBuilder().Dword(0).Data()).empty());
    EXPECT_TRUE(Walk(nullptr, 0).empty());
}

TEST(UpdateBatchTest, OddLengthTextsAreReadAtUnalignedOffsets) {
    BatchBuilder batch;
    batch.Text(7, L"abc", L"p1").Text(8, L"新闻", L"page_8").Message(WM_RSS_SORT, 7, 0).Dword(0);
    std::vector<Record> records = Walk(batch.Data());
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(WM_RSS_ITEM_TEXT, records[0].message);
    EXPECT_EQ(7u, records[0].wParam);
    EXPECT_EQ(L"abc", records[0].text);
    EXPECT_EQ(L"p1", records[0].page);
    // 8 + 8 + 6 bytes: the second record starts at offset 22.
    EXPECT_EQ(22, records[1].lParam - 8 - reinterpret_cast<LPARAM>(batch.Data().data()));
    EXPECT_EQ(8u, records[1].wParam);
    EXPECT_EQ(L"新闻", records[1].text);
    EXPECT_EQ(L"page_8", records[1].page);
    EXPECT_EQ(WM_RSS_SORT, records[2].message);
    EXPECT_EQ(7u, records[2].wParam);
}

TEST(UpdateBatchTest, EmptyPageNameAndPlainRecords) {
    BatchBuilder batch;
    batch.Message(WM_RSS_FOLDER, 1, 0).Text(1, L"目录", L"").Message(WM_RSS_UPDATE, 2, 0xFFFFFFFF);
    batch.Dword(0).Message(WM_RSS_DELETE, 1, 0);  // after the terminator: ignored
    std::vector<Record> records = Walk(batch.Data());
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(WM_RSS_FOLDER, records[0].message);
    EXPECT_EQ(L"目录", records[1].text);
    EXPECT_EQ(L"", records[1].page);
    // Progress is signed: a failed update stays negative.
    EXPECT_EQ(WM_RSS_UPDATE, records[2].message);
    EXPECT_EQ(-1, records[2].lParam);
}

TEST(UpdateBatchTest, BatchWithoutTerminatorEndsAtItsSize) {
    BatchBuilder batch;
    batch.Message(WM_RSS_CHANNEL, 3, 1).Text(3, L"x", L"y");
    GuardedBuffer guarded(batch.Data());
    EXPECT_EQ(2u, Walk(guarded.Data(), batch.Data().size()).size());
}

TEST(UpdateBatchTest, TextWithoutNulInsideTheBatchEndsTheWalk) {
    BatchBuilder batch;
    batch.Message(WM_RSS_FOLDER, 1, 0).Dword(WM_RSS_ITEM_TEXT).Dword(1);
    batch.Bytes({'a', 0, 'b', 0, 'c', 0});  // no NUL, batch ends here
    GuardedBuffer guarded(batch.Data());
    std::vector<Record> records = Walk(guarded.Data(), batch.Data().size());
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(WM_RSS_FOLDER, records[0].message);
}

TEST(UpdateBatchTest, PageNameWithoutNulOrHalfACharacterEndsTheWalk) {
    BatchBuilder missingPage;
    missingPage.Dword(WM_RSS_ITEM_TEXT).Dword(1).Wide(L"ab").Bytes({'p', 0, 'q', 0});
    GuardedBuffer guardedPage(missingPage.Data());
    EXPECT_TRUE(Walk(guardedPage.Data(), missingPage.Data().size()).empty());

    BatchBuilder halfNul;
    halfNul.Dword(WM_RSS_ITEM_TEXT).Dword(1).Wide(L"ab").Bytes({'p', 0, 0});
    GuardedBuffer guardedHalf(halfNul.Data());
    EXPECT_TRUE(Walk(guardedHalf.Data(), halfNul.Data().size()).empty());
}

TEST(UpdateBatchTest, PartialRecordsAreNotOverRead) {
    // A whole record, then 10, 6 and 2 bytes of the next one.
    for (size_t tail : {10u, 6u, 2u}) {
        BatchBuilder batch;
        batch.Message(WM_RSS_EXPAND, 4, 2).Message(WM_RSS_SORT, 4, 0);
        std::vector<BYTE> cut(batch.Data().begin(), batch.Data().begin() + 12 + tail);
        GuardedBuffer guarded(cut);
        std::vector<Record> records = Walk(guarded.Data(), cut.size());
        ASSERT_EQ(1u, records.size()) << tail;
        EXPECT_EQ(WM_RSS_EXPAND, records[0].message);
    }
}

TEST(UpdateBatchTest, DroppedTextTravelsBetweenTwoNuls) {
    std::vector<BYTE> record = DroppedTextRecord("abc");
    EXPECT_EQ((std::vector<BYTE>{0, 'a', 'b', 'c', 0}), record);
    EXPECT_EQ((std::vector<BYTE>{0, 0}), DroppedTextRecord(""));
}

TEST(UpdateBatchTest, PartnerPageNameIsCutAtThirtyTwoBytes) {
    std::string full(32, 'p');
    GuardedBuffer guarded(std::vector<BYTE>(full.begin(), full.end()));
    EXPECT_EQ(full, CopyPartnerPageName(reinterpret_cast<const char*>(guarded.Data())));
    EXPECT_EQ("rss_12", CopyPartnerPageName("rss_12"));
    EXPECT_EQ("", CopyPartnerPageName(nullptr));
    // A short name ending where readable memory ends.
    GuardedBuffer shortName(std::vector<BYTE>{'r', 's', 's', 0});
    EXPECT_EQ("rss", CopyPartnerPageName(reinterpret_cast<const char*>(shortName.Data())));
}

// Pointers another process sent lead nowhere here, or into a page that ends
// before the name does.
TEST(UpdateBatchTest, PartnerPageNameFromUnreadableMemoryIsEmpty) {
    GuardedBuffer cut(std::vector<BYTE>(20, 'p'));
    EXPECT_EQ("", CopyPartnerPageName(reinterpret_cast<const char*>(cut.Data())));
    EXPECT_EQ("", CopyPartnerPageName(reinterpret_cast<const char*>(cut.Data()) + 20));
    EXPECT_EQ("", CopyPartnerPageName(reinterpret_cast<const char*>(0x10)));
}

}  // namespace
