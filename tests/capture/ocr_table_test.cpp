#include "capture/ocr_table.h"

#include <gtest/gtest.h>

#include "../temp_dir.h"
#include "box_screen.h"
#include "capture/box_compose.h"

using namespace capture;

TEST(OcrTableFile, EntriesAsTheFileGivesThem) {
    const std::string text =
        "; a hand-made table\r\n"
        "[ascii-32]\r\nlength=2\r\nkar=x\r\ns1=..........\r\n"
        "[ascii-48]\r\nlength=0\r\nkar=0\r\ns1=0000000000\r\n"
        "[ascii-49]\r\nkar=1\r\ns1=0000000000\r\n"
        "[ASCII-65]\r\nLength=8\r\nkar=ABCDEFG\r\ns1=0123456789ABCDEF\r\ns7=7\r\ns8=8888888888\r\n"
        "[ascii-66]\r\nlength=1\r\nkar=\xC2\xB0" "abcdef\r\n"
        "[ascii-31]\r\nlength=1\r\nkar=q\r\n"
        "[ascii-201]\r\nlength=1\r\nkar=r\r\n"
        "[ascii-67]\r\nlength=-3\r\nkar=C\r\n"
        "[ascii-68]\r\nlength=two\r\nkar=D\r\n";
    OcrTable t = ParseOcrTable(text);
    EXPECT_EQ(t.entryCount(), 3);
    EXPECT_EQ(t.entries[32].text, " ");  // a blank whatever the file says
    EXPECT_EQ(t.entries[32].length, 2);
    EXPECT_EQ(t.entries[32].columns[0], "..........");
    EXPECT_TRUE(t.entries[48].empty());  // length 0
    EXPECT_EQ(t.entries[48].columns[0], "");
    EXPECT_TRUE(t.entries[49].empty());  // no length
    EXPECT_EQ(t.entries[65].text, "ABCDE");
    EXPECT_EQ(t.entries[65].length, 8);
    EXPECT_EQ(t.entries[65].columns[0], "0123456789A");
    EXPECT_EQ(t.entries[65].columns[6], "7");
    EXPECT_EQ(t.entries[66].text, "\xC2\xB0" "abcd");  // five characters, not five bytes
    EXPECT_TRUE(t.entries[31].empty());
    EXPECT_TRUE(t.entries[67].empty());
    EXPECT_TRUE(t.entries[68].empty());
    EXPECT_EQ(t.codeFor(" "), 32);
    EXPECT_EQ(t.codeFor("ABCDE"), 65);
    EXPECT_EQ(t.codeFor("Z"), -1);
}

TEST(OcrTableFile, MissingOrBinaryFileGivesAnEmptyTable) {
    TempDir dir;
    EXPECT_EQ(ReadOcrTable(dir.file("ocr2002.ini")).entryCount(), 0);
    std::string junk(5000, '\0');
    junk += "\xFF\xFE[ascii-40\nlength=";
    EXPECT_EQ(ReadOcrTable(dir.write("junk.ini", junk)).entryCount(), 0);
}

TEST(OcrTableFile, DataDirectoryBeforeTheStartDirectory) {
    TempDir data, start;
    start.write("ocr2004.ini", "");
    EXPECT_EQ(FindTableFile("ocr2004.ini", {data.path(), start.path()}), start.file("ocr2004.ini"));
    data.write("ocr2004.ini", "");
    EXPECT_EQ(FindTableFile("ocr2004.ini", {data.path(), start.path()}), data.file("ocr2004.ini"));
    EXPECT_EQ(FindTableFile("ocr2002.ini", {"", data.path()}), "");
}

// The editor cuts a character out of the pixel dump; what it stores must
// be the columns the table holds for that character.
TEST(OcrTableEditor, BlockFromTheDumpGivesTheTableColumns) {
    for (OcrVersion v : {OcrVersion::V2002, OcrVersion::V2004}) {
        const OcrProfile& p = ProfileOf(v);
        OcrTable table = ReadOcrTable(ShippedTable(v));
        int code = table.codeFor("7");
        ASSERT_GE(code, 0);
        const OcrEntry& e = table.entries[static_cast<size_t>(code)];
        OcrResult r = OcrBitmap(ComposeBox(table, p, {"", "A7"}).image, p, table, true);
        ASSERT_EQ(r.dump.size(), static_cast<size_t>(p.height));
        int firstColumn = 1 + table.entries[static_cast<size_t>(table.codeFor("A"))].length;
        auto block = DumpBlock(r.dump, firstColumn, 2 * kLineSpacing, e.length, p.columnHeight);
        ASSERT_EQ(block.size(), static_cast<size_t>(p.columnHeight));
        auto columns = BlockColumns(block);
        ASSERT_EQ(columns.size(), static_cast<size_t>(e.length));
        for (int k = 0; k < e.length; ++k) EXPECT_EQ(columns[static_cast<size_t>(k)], e.columns[static_cast<size_t>(k)]);
    }
    // Rows and columns beyond the dump are left out.
    EXPECT_EQ(DumpBlock({"abc", "def"}, 2, 1, 5, 4), (std::vector<std::string>{"bc", "ef"}));
    EXPECT_EQ(BlockColumns({"bc", "ef"}), (std::vector<std::string>{"eb", "fc"}));
}
