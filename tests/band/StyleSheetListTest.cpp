// Reading "css\css.txt": the id;name;file lines of the options menu's sheets.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "server/StyleSheetList.h"

namespace {

// A scratch directory in the temporary folder holding css\css.txt.
class ListFolder {
public:
    ListFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "StyleSheetListTest\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        CreateDirectoryA((dir_ + "css").c_str(), nullptr);
        DeleteFileA(ListPath().c_str());
    }
    ~ListFolder() {
        DeleteFileA(ListPath().c_str());
        RemoveDirectoryA((dir_ + "css").c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    std::string ListPath() const { return dir_ + "css\\css.txt"; }
    const std::string& Dir() const { return dir_; }

    // Written in binary mode: exactly these bytes.
    void Write(const std::string& bytes) const {
        FILE* file = std::fopen(ListPath().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    StyleSheetList Read() const {
        StyleSheetList list;
        list.Read(dir_);
        return list;
    }

private:
    std::string dir_;
};

TEST(StyleSheetList, ReadsIdNameAndFileOfEachLineInOrder) {
    ListFolder folder;
    folder.Write("11001;Blue;css\\blue.css\n11000; \xBE\xAD\xB5\xE4;css\\classic.css\r\n");
    StyleSheetList list = folder.Read();
    ASSERT_EQ(list.Entries().size(), 2u);
    EXPECT_EQ(list.Entries()[0].id, 11001);
    EXPECT_EQ(list.Entries()[0].name, "Blue");
    EXPECT_EQ(list.Entries()[0].file, "css\\blue.css");
    // Text mode turns CR LF into a line feed; names are ANSI bytes kept as they are.
    EXPECT_EQ(list.Entries()[1].id, 11000);
    EXPECT_EQ(list.Entries()[1].name, " \xBE\xAD\xB5\xE4");
    EXPECT_EQ(list.Entries()[1].file, "css\\classic.css");
}

TEST(StyleSheetList, FileKeepsFurtherSemicolonsAndLastLineNeedsNoLineFeed) {
    ListFolder folder;
    folder.Write("11002;Odd;css\\a;b.css");
    StyleSheetList list = folder.Read();
    ASSERT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.Entries()[0].name, "Odd");
    EXPECT_EQ(list.Entries()[0].file, "css\\a;b.css");
}

TEST(StyleSheetList, SkipsLinesWithFewerThanTwoSemicolons) {
    ListFolder folder;
    folder.Write("just words\n11003;NoFile\n\n;;\n11004;Ok;x.css\n");
    StyleSheetList list = folder.Read();
    ASSERT_EQ(list.Entries().size(), 2u);
    // ";;" has its two separators: id 0, empty name and file.
    EXPECT_EQ(list.Entries()[0].id, 0);
    EXPECT_EQ(list.Entries()[0].name, "");
    EXPECT_EQ(list.Entries()[1].id, 11004);
}

TEST(StyleSheetList, IdIsParsedLikeAtoi) {
    StyleSheetEntry entry;
    ASSERT_TRUE(StyleSheetList::ParseLine("  11005abc;Name;f.css", &entry));
    EXPECT_EQ(entry.id, 11005);
    ASSERT_TRUE(StyleSheetList::ParseLine("blue;Name;f.css", &entry));
    EXPECT_EQ(entry.id, 0);
    ASSERT_TRUE(StyleSheetList::ParseLine("-3;Name;f.css", &entry));
    EXPECT_EQ(entry.id, -3);
}

TEST(StyleSheetList, OverlongLineIsSkippedWholeWithoutItsTailBecomingAnEntry) {
    ListFolder folder;
    // The tail beyond the 1024-byte buffer looks like an entry of its own.
    std::string longLine = "11006;Long;" + std::string(1100, 'x') + "11007;Tail;tail.css";
    folder.Write("11001;Before;b.css\n" + longLine + "\n11008;After;a.css\n");
    StyleSheetList list = folder.Read();
    ASSERT_EQ(list.Entries().size(), 2u);
    EXPECT_EQ(list.Entries()[0].id, 11001);
    EXPECT_EQ(list.Entries()[1].id, 11008);
}

TEST(StyleSheetList, LineFillingTheBufferExactlyIsStillRead) {
    ListFolder folder;
    std::string head = "11009;Full;";
    std::string line = head + std::string(StyleSheetList::kLineBuffer - 1 - head.size(), 'f');
    folder.Write(line + "\n11010;Next;n.css\n");
    StyleSheetList list = folder.Read();
    ASSERT_EQ(list.Entries().size(), 2u);
    EXPECT_EQ(list.Entries()[0].file.size(), StyleSheetList::kLineBuffer - 1 - head.size());
    EXPECT_EQ(list.Entries()[1].id, 11010);
}

TEST(StyleSheetList, MissingFileGivesAnEmptyList) {
    ListFolder folder;
    EXPECT_TRUE(folder.Read().Entries().empty());
}

TEST(StyleSheetList, FindTakesTheFirstEntryOfAnIdComparingLow16Bits) {
    ListFolder folder;
    folder.Write("11001;First;one.css\n11001;Second;two.css\n76538;Wrapped;w.css\n");
    StyleSheetList list = folder.Read();
    ASSERT_EQ(list.Entries().size(), 3u);
    ASSERT_NE(list.Find(11001), nullptr);
    EXPECT_EQ(list.Find(11001)->name, "First");
    EXPECT_EQ(list.Find(0x10000 + 11001)->name, "First");
    // 76538 = 0x10000 + 11002: the command 11002 once cut to 16 bits.
    ASSERT_NE(list.Find(11002), nullptr);
    EXPECT_EQ(list.Find(11002)->name, "Wrapped");
    EXPECT_EQ(list.Find(11003), nullptr);
}

TEST(StyleSheetList, DirectoryOfKeepsTheLastBackslash) {
    EXPECT_EQ(DirectoryOf("C:\\Program Files\\RSS\\rssband.dll"), "C:\\Program Files\\RSS\\");
    EXPECT_EQ(DirectoryOf("rssband.dll"), "");
}

}  // namespace
