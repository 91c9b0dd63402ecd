#include <gtest/gtest.h>
#include <windows.h>

#include "support/TestPaths.h"

TEST(PluginLoad, ExportRejectsNullRecord) {
    HMODULE dll = LoadLibraryW(BuildPath("button/rssbutton.dll").c_str());
    ASSERT_NE(dll, nullptr);
    using Fn = LONG(WINAPI*)(void*, void*, LONG, LONG, LONG);
    auto fn = reinterpret_cast<Fn>(GetProcAddress(dll, "OnButtonMessage"));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(nullptr, nullptr, 1, 0, 0), 0);
    FreeLibrary(dll);
}
