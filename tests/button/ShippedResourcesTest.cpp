// The resources the shipped DLLs carry, read from the built files loaded as
// data: what the DLL needs at run time must be in the DLL itself, not only in
// the resource object the test executables link.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "support/TestPaths.h"

namespace {

// A DLL loaded as a data file for the life of one test.
class DataModule {
public:
    explicit DataModule(const std::string& path)
        : module_(LoadLibraryExW(BuildPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule() {
        if (module_) FreeLibrary(module_);
    }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;
    HMODULE get() const { return module_; }

    bool Has(LPCWSTR type, int id) const {
        return FindResourceW(module_, MAKEINTRESOURCEW(id), type) != nullptr;
    }
    // The string of a VERSIONINFO's first translation block.
    std::wstring VersionString(const wchar_t* name) const {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
        if (!found) return L"";
        DWORD size = SizeofResource(module_, found);
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        // VerQueryValue may write into its block: query a copy.
        std::vector<BYTE> block(data, data + size);
        WORD* translation = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                            reinterpret_cast<void**>(&translation), &length) ||
            length < 4) {
            return L"";
        }
        wchar_t path[80];
        wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
        wchar_t* value = nullptr;
        if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &length))
            return L"";
        return value;
    }

private:
    HMODULE module_;
};

const LPCWSTR kGroupIcon = MAKEINTRESOURCEW(14);
const LPCWSTR kDialog = MAKEINTRESOURCEW(5);

TEST(ShippedResourcesTest, ButtonCarriesItsStringsDialogsMenuAndIcons) {
    DataModule button("button/rssbutton.dll");
    ASSERT_NE(button.get(), nullptr);
    for (UINT id = 1; id <= 30; ++id) {
        wchar_t text[8] = L"";
        int length = LoadStringW(button.get(), id, text, 8);
        // The table has no text for 6.
        if (id == 6) {
            EXPECT_EQ(length, 0);
        } else {
            EXPECT_GT(length, 0) << "string " << id;
        }
    }
    for (int id : {IDD_CUSTOM_ADD, IDD_ADD_FEED, IDD_EDIT_FEED, IDD_MANAGE_FEEDS, IDD_ADD_FEEDS}) {
        EXPECT_TRUE(button.Has(kDialog, id)) << "dialog " << id;
    }
    HMENU menu = LoadMenuW(button.get(), MAKEINTRESOURCEW(IDR_BUTTON_MENU));
    EXPECT_NE(menu, nullptr);
    if (menu) DestroyMenu(menu);
    for (int id : {100, 105, 106, 107, 108, 109, 110, 113}) {
        EXPECT_TRUE(button.Has(kGroupIcon, id)) << "icon " << id;
        HICON icon = static_cast<HICON>(
            LoadImageW(button.get(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        EXPECT_NE(icon, nullptr) << "icon " << id;
        if (icon) DestroyIcon(icon);
    }
}

// The band's pictures, menus and strings are checked in depth by the band's
// own resource test; here what registration and the installer rely on.
TEST(ShippedResourcesTest, BandCarriesItsTypeLibraryAndPictures) {
    DataModule band("band/rssband.dll");
    ASSERT_NE(band.get(), nullptr);
    EXPECT_TRUE(band.Has(L"TYPELIB", 1));
    EXPECT_TRUE(band.Has(kGroupIcon, 101));
    EXPECT_TRUE(band.Has(MAKEINTRESOURCEW(4) /* RT_MENU */, 1300));
    EXPECT_TRUE(band.Has(MAKEINTRESOURCEW(4), 1400));
    EXPECT_TRUE(band.Has(MAKEINTRESOURCEW(2) /* RT_BITMAP */, 1000));
    EXPECT_TRUE(band.Has(MAKEINTRESOURCEW(2), 1100));
    EXPECT_TRUE(band.Has(MAKEINTRESOURCEW(241) /* RT_TOOLBAR */, 1000));
}

TEST(ShippedResourcesTest, BothDllsNameTheSameProductAndVersion) {
    DataModule button("button/rssbutton.dll");
    DataModule band("band/rssband.dll");
    ASSERT_NE(button.get(), nullptr);
    ASSERT_NE(band.get(), nullptr);
    EXPECT_EQ(button.VersionString(L"ProductName"), L"RSS 订阅");
    EXPECT_EQ(band.VersionString(L"ProductName"), L"RSS 订阅");
    EXPECT_EQ(button.VersionString(L"ProductVersion"), L"1, 0, 0, 1");
    EXPECT_EQ(band.VersionString(L"ProductVersion"), L"1, 0, 0, 1");
    EXPECT_EQ(button.VersionString(L"OriginalFilename"), L"rssbutton.dll");
    EXPECT_EQ(band.VersionString(L"OriginalFilename"), L"rssband.dll");
}

}  // namespace
