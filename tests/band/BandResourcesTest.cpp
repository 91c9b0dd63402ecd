// The resources rssband.dll carries for its windows, read from the built DLL
// loaded as a data file.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/TestPaths.h"

namespace {

class BandResourcesTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExW(BuildPath("band/rssband.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "rssband.dll not loadable"; }

    static std::vector<BYTE> Raw(LPCWSTR type, int id) {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        if (!found) return {};
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        return std::vector<BYTE>(data, data + SizeofResource(module_, found));
    }

    static std::wstring String(UINT id) {
        wchar_t text[200] = L"";
        LoadStringW(module_, id, text, 200);
        return text;
    }

    static HMODULE module_;
};

HMODULE BandResourcesTest::module_ = nullptr;

// A 24-bit bitmap resource: header and bottom-up rows.
struct Bitmap {
    explicit Bitmap(const std::vector<BYTE>& raw) : raw_(raw) {
        if (raw_.size() >= sizeof(BITMAPINFOHEADER)) {
            header = *reinterpret_cast<const BITMAPINFOHEADER*>(raw_.data());
        }
    }
    bool Complete() const {
        return header.biSize == sizeof(BITMAPINFOHEADER) && header.biBitCount == 24 &&
               raw_.size() >= header.biSize + Stride() * Height();
    }
    int Height() const { return header.biHeight < 0 ? -header.biHeight : header.biHeight; }
    size_t Stride() const { return (header.biWidth * 3 + 3) & ~3; }
    COLORREF Pixel(int x, int y) const {
        int row = header.biHeight > 0 ? Height() - 1 - y : y;
        const BYTE* p = raw_.data() + header.biSize + row * Stride() + x * 3;
        return RGB(p[2], p[1], p[0]);
    }
    // Pixels in which two 16x16 images of the strip differ.
    int Differences(int a, int b) const {
        int count = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) count += Pixel(a * 16 + x, y) != Pixel(b * 16 + x, y);
        }
        return count;
    }
    // Pixels of image i that are not the background colour.
    int Drawn(int i, COLORREF background) const {
        int count = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) count += Pixel(i * 16 + x, y) != background;
        }
        return count;
    }

    BITMAPINFOHEADER header = {};

private:
    std::vector<BYTE> raw_;
};

void ExpectDistinctImages(const Bitmap& bitmap, int count, COLORREF background) {
    for (int i = 0; i < count; ++i) {
        EXPECT_GT(bitmap.Drawn(i, background), 40) << "image " << i << " is nearly empty";
        for (int j = i + 1; j < count; ++j) {
            EXPECT_GT(bitmap.Differences(i, j), 20) << "images " << i << " and " << j;
        }
    }
}

TEST_F(BandResourcesTest, TreeBitmapHoldsEightImagesOnTheWindowColour) {
    Bitmap tree(Raw(MAKEINTRESOURCEW(2) /* RT_BITMAP */, IDB_TREE));
    ASSERT_TRUE(tree.Complete());
    EXPECT_EQ(tree.header.biWidth, 8 * 16);
    EXPECT_EQ(tree.Height(), 16);
    // Added to the image list without a mask: corners show the tree's white.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(tree.Pixel(i * 16, 15), RGB(255, 255, 255)) << i;
    ExpectDistinctImages(tree, 8, RGB(255, 255, 255));
}

TEST_F(BandResourcesTest, ToolbarBitmapHoldsSixImagesOnTheTransparentGrey) {
    Bitmap toolbar(Raw(MAKEINTRESOURCEW(2), IDB_TOOLBAR));
    ASSERT_TRUE(toolbar.Complete());
    EXPECT_EQ(toolbar.header.biWidth, 96);
    EXPECT_EQ(toolbar.Height(), 16);
    // The image list takes the top-left pixel as the transparent colour.
    EXPECT_EQ(toolbar.Pixel(0, 0), RGB(192, 192, 192));
    ExpectDistinctImages(toolbar, 6, RGB(192, 192, 192));
}

TEST_F(BandResourcesTest, ToolbarResourceListsTenEntriesWithSeparators) {
    std::vector<BYTE> raw = Raw(MAKEINTRESOURCEW(241), IDR_TOOLBAR);
    ASSERT_EQ(raw.size(), 14u * sizeof(WORD));
    const WORD* words = reinterpret_cast<const WORD*>(raw.data());
    std::vector<WORD> all(words, words + 14);
    EXPECT_EQ(all, (std::vector<WORD>{1, 16, 16, 10, 10001, 0, 10002, 0, 10003, 0, 10000, 0, 10004,
                                      10006}));
}

TEST_F(BandResourcesTest, IconGroupOffersSmallAndLargeSizes) {
    std::vector<BYTE> raw = Raw(MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, IDI_BAND);
    ASSERT_GE(raw.size(), 6u);
    const WORD* header = reinterpret_cast<const WORD*>(raw.data());
    int count = header[2];
    ASSERT_EQ(raw.size(), 6u + 14u * count);
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) sizes.insert(raw[6 + 14 * i]);
    EXPECT_TRUE(sizes.count(16));
    EXPECT_TRUE(sizes.count(32));
    HICON icon =
        static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(IDI_BAND), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
}

TEST_F(BandResourcesTest, StringTableHoldsEveryText) {
    EXPECT_EQ(String(10000), L"用户选项");
    EXPECT_EQ(String(10001), L"添加频道");
    EXPECT_EQ(String(10002), L"新建目录");
    EXPECT_EQ(String(10003), L"更新");
    EXPECT_EQ(String(10004), L"订阅更多频道");
    EXPECT_EQ(String(20000), L"确认删除");
    EXPECT_EQ(String(20001), L"确认删除频道 \"%s\" ?");
    EXPECT_EQ(String(20002), L"确认删除目录 \"%s\" 下的所有子目录和频道?");
    EXPECT_EQ(String(20003), L"站点 \"%s\" 正在更新, 不能删除!");
    EXPECT_EQ(String(20010), L"无法打开 \"%s\"");
    EXPECT_EQ(String(20011), L"无效XML格式");
    EXPECT_EQ(String(20012), L"无效RSS格式");
    EXPECT_EQ(String(20013), L"写入文件失败");
    EXPECT_EQ(String(20014), L"就绪");
    EXPECT_EQ(String(20015), L"失败");
    EXPECT_EQ(String(20016), L"更新中");
    // Tooltips are looked up by command id: no text for the hidden delete button.
    EXPECT_EQ(String(10006), L"");
}

// "text=id" per item of a popup, "-" for a separator, "[text]" for a submenu.
std::vector<std::wstring> Items(HMENU popup) {
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        wchar_t text[100] = L"";
        GetMenuStringW(popup, i, text, 100, MF_BYPOSITION);
        if (GetSubMenu(popup, i)) {
            items.push_back(L"[" + std::wstring(text) + L"]");
        } else if (GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR) {
            items.push_back(L"-");
        } else {
            items.push_back(std::wstring(text) + L"=" + std::to_wstring(GetMenuItemID(popup, i)));
        }
    }
    return items;
}

TEST_F(BandResourcesTest, TreeMenuListsTheCommandsInOrder) {
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_TREE_MENU));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(
        Items(GetSubMenu(menu, 0)),
        (std::vector<std::wstring>{L"更新=10003", L"更新所有频道=10007", L"-", L"新建目录=10002",
                                   L"添加/导入频道...=10001", L"导出频道...=10005", L"-",
                                   L"删除=10006", L"-", L"标记为已读=32786", L"-", L"属性=10008"}));
    DestroyMenu(menu);
}

TEST_F(BandResourcesTest, OptionsMenuHasTheSeparatorAndTheIntervals) {
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_OPTIONS_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    EXPECT_EQ(Items(popup), (std::vector<std::wstring>{L"-", L"[自动更新时间间隔]"}));
    EXPECT_EQ(Items(GetSubMenu(popup, 1)),
              (std::vector<std::wstring>{L"10分钟=11210", L"30分钟=11230", L"60分钟=11260",
                                         L"不自动更新=11200"}));
    DestroyMenu(menu);
}

}  // namespace
