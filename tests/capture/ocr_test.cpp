#include "capture/ocr.h"

#include <gtest/gtest.h>

#include "box_screen.h"
#include "capture/box_compose.h"

using namespace capture;

namespace {

const OcrProfile& k2002 = ProfileOf(OcrVersion::V2002);
const OcrProfile& k2004 = ProfileOf(OcrVersion::V2004);

// A reduced image of the profile's size, all white, with symbols put in by hand.
struct Canvas {
    const OcrProfile& profile;
    Image image;
    explicit Canvas(const OcrProfile& p) : profile(p), image(p.width, p.height) {}
    // Column `column` (from 1) of the line with bottom row `bottom`, bottom symbol first.
    void column(int column, int bottom, const std::string& symbols) {
        for (size_t i = 0; i < symbols.size(); ++i)
            image.set(column - 1, bottom - static_cast<int>(i), ColourOfSymbol(symbols[i], profile.bitsPerPixel));
    }
};

OcrEntry entry(const std::string& text, std::vector<std::string> columns, int length = -1) {
    OcrEntry e;
    e.text = text;
    e.length = length < 0 ? static_cast<int>(columns.size()) : length;
    for (size_t k = 0; k < columns.size() && k < e.columns.size(); ++k) e.columns[k] = columns[k];
    return e;
}

std::string rtrim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

TEST(OcrReduce, NearestColourOfEachDepth) {
    // Expected symbols follow from the palette: 0x606060 is nearer black than
    // white, 0xA0A0A0 nearer white; 0xC8C8C8 is nearest light grey (C0), 0x7A7A7A
    // dark grey (80), 0x900000 maroon (index 1, "#"), 0xF00000 red (9), 0xFFFF20 yellow (B).
    struct Row {
        std::uint32_t rgb;
        char bit1, bit4;
    } rows[] = {{0x606060, '0', '!'}, {0xA0A0A0, '.', '$'}, {0xC8C8C8, '.', '$'}, {0x7A7A7A, '0', '!'},
                {0x101010, '0', '#'}, {0x900000, '0', '#'}, {0xF00000, '0', '9'}, {0xFFFF20, '.', 'B'},
                {0xFFFFFF, '.', '.'}, {0x00FFF0, '.', 'E'}};
    for (const Row& r : rows) {
        Image one(1, 1, r.rgb);
        EXPECT_EQ(IntToBin(Reduce(one, k2002), 0)[0], r.bit1) << std::hex << r.rgb;
        EXPECT_EQ(IntToBin(Reduce(one, k2004), 0)[0], r.bit4) << std::hex << r.rgb;
    }
}

TEST(OcrReduce, ProfileSizeWhiteBeyondTheCaptureAndRowsLeftToRight) {
    Image small(3, 2, 0x000000);
    small.set(1, 0, 0xFFFFFF);
    ReducedImage r = Reduce(small, k2002);
    ASSERT_EQ(r.width, 156);
    ASSERT_EQ(r.height, 52);
    EXPECT_EQ(IntToBin(r, 0).substr(0, 5), "0.0..");
    EXPECT_EQ(IntToBin(r, 2), std::string(156, '.'));
    EXPECT_EQ(IntToBin(r, 52), "");  // no row past the image
}

TEST(OcrColumns, BottomRowFirstAndNothingPastTheEdges) {
    Canvas c(k2004);
    c.column(5, 24, "#$!.#$!.#$!");
    ReducedImage r = Reduce(c.image, k2004);
    EXPECT_EQ(ColumnString(r, 5, 24, 11), "#$!.#$!.#$!");
    EXPECT_EQ(ColumnString(r, 5, 24, 3), "#$!");
    EXPECT_EQ(ColumnString(r, 310, 24, 11), std::string(11, '.'));
    EXPECT_EQ(ColumnString(r, 311, 24, 11), "");
    EXPECT_EQ(ColumnString(r, 0, 24, 11), "");
}

TEST(OcrCompare, SameNearAndFarSymbols) {
    EXPECT_EQ(Compare("...........", "..........."), 1100);
    // Near pairs: white/dark grey, dark grey/light grey, light grey/black.
    EXPECT_EQ(Compare(".!$#", "!$#$"), 200);
    // Far: white/light grey, white/black, dark grey/black.
    EXPECT_EQ(Compare("..!", "$##"), 0);
    // Only the table column's length counts; a short image column scores less.
    EXPECT_EQ(Compare("###", "#"), 100);
    EXPECT_EQ(Compare("", "###"), 0);
}

TEST(OcrExact, EntryOfThreeColumnsAndTheScanGoesOnAfterIt) {
    Canvas c(k2002);
    c.column(20, 24, "0000000000");
    c.column(21, 24, "0.0.0.0.0.");
    c.column(22, 24, ".0.0.0.0.0");
    c.column(23, 24, "00000.....");  // column 23 starts the next character
    OcrTable t;
    t.entries['1'] = entry("1", {"0000000000", "0.0.0.0.0.", ".0.0.0.0.0"});
    t.entries['2'] = entry("2", {"00000....."});
    OcrResult r = OcrBitmap(c.image, k2002, t);
    EXPECT_EQ(r.lines[1], "12");
    EXPECT_EQ(r.lines[0], "");
    // "1" would also fit if the scan restarted one column later; it does not.
    t.entries['3'] = entry("3", {"0.0.0.0.0.", ".0.0.0.0.0"});
    EXPECT_EQ(OcrBitmap(c.image, k2002, t).lines[1], "12");
}

TEST(OcrExact, LongestEntryWinsThenHighestCode) {
    Canvas c(k2002);
    std::vector<std::string> cols = {"0000000000", "0........0", "0000000000", "0.0.0.0.0.", "0000000000"};
    for (size_t k = 0; k < cols.size(); ++k) c.column(30 + static_cast<int>(k), 12, cols[k]);
    OcrTable t;
    t.entries['a'] = entry("a", {cols[0], cols[1], cols[2]});
    t.entries['b'] = entry("b", cols);
    EXPECT_EQ(OcrBitmap(c.image, k2002, t).lines[0], "b");
    t.entries['c'] = entry("c", cols);  // the same length: the higher code
    EXPECT_EQ(OcrBitmap(c.image, k2002, t).lines[0], "c");
    // Longer than seven columns never matches exactly.
    t.entries['b'] = t.entries['c'] = OcrEntry{};
    t.entries['d'] = entry("d", cols, 8);
    EXPECT_EQ(OcrBitmap(c.image, k2002, t).lines[0], "a");
}

TEST(OcrExact, ColumnsPastTheRightEdgeMatchNothing) {
    Canvas c(k2002);
    c.column(155, 12, "0000000000");
    c.column(156, 12, "0000000000");
    OcrTable t;
    // Would fit with a third column; the image has none there.
    t.entries['x'] = entry("x", {"0000000000", "0000000000", ""});
    t.entries['y'] = entry("y", {"", ""});  // empty columns equal no image column
    EXPECT_EQ(OcrBitmap(c.image, k2002, t).lines[0], "");
    t.entries['z'] = entry("z", {"0000000000", "0000000000"});
    EXPECT_EQ(OcrBitmap(c.image, k2002, t).lines[0], "z");
}

TEST(OcrScored, AcceptsANearPairPerColumnAndRejectsAFullMismatch) {
    const std::string col = "#$#$#$#$#$#";
    OcrTable t;
    t.entries['k'] = entry("k", {col, col});
    auto readWith = [&](const std::string& imageColumn) {
        Canvas c(k2004);
        c.column(40, 24, imageColumn);
        c.column(41, 24, imageColumn);
        OcrTable copy = t;
        return OcrBitmap(c.image, k2004, copy).lines[1];
    };
    EXPECT_EQ(readWith(col), "k");
    EXPECT_EQ(readWith("$$#$#$#$#$#"), "k");  // light grey for black, a near pair: 1050 per column
    EXPECT_EQ(readWith("!$#$#$#$#$#"), "");   // dark grey for black, a far pair: 1000
    EXPECT_EQ(readWith(".$#$#$#$#$#"), "");   // white for black: 1000
}

TEST(OcrScored, DividesByTheFullLengthAndPicksTheLowestCodeOnEqualScores) {
    const std::string col = "###########";
    Canvas c(k2004);
    for (int x = 10; x < 17; ++x) c.column(x, 12, col);
    OcrTable t;
    t.entries['m'] = entry("m", std::vector<std::string>(7, col), 8);  // 7700 / 8 = 962: rejected
    EXPECT_EQ(OcrBitmap(c.image, k2004, t).lines[0].find('m'), std::string::npos);
    t.entries['n'] = entry("n", std::vector<std::string>(7, col));
    t.entries['o'] = entry("o", std::vector<std::string>(7, col));
    std::string line = OcrBitmap(c.image, k2004, t).lines[0];
    EXPECT_EQ(line, "n");
}

TEST(OcrLines, TheProfilesReadFourAndThreeLines) {
    // A 2004 picture taller than its 39 rows still gives three lines.
    OcrTable t2004 = ReadOcrTable(ShippedTable(OcrVersion::V2004));
    ASSERT_GT(t2004.entryCount(), 90);
    Image box = ComposeBox(t2004, k2004, {"1", "2", "3"}).image;
    Image tall(box.width, 52);
    for (int y = 0; y < 51; ++y)  // a fourth line: the third again, 12 rows lower
        for (int x = 0; x < box.width; ++x) tall.set(x, y, box.at(x, y < 39 ? y : y - 12));
    OcrResult r = OcrBitmap(tall, k2004, t2004);
    EXPECT_EQ(rtrim(r.lines[2]), "3");
    EXPECT_EQ(r.lines[3], "");
    OcrTable t2002 = ReadOcrTable(ShippedTable(OcrVersion::V2002));
    r = OcrBitmap(ComposeBox(t2002, k2002, {"1", "2", "3", "4"}).image, k2002, t2002);
    EXPECT_EQ(rtrim(r.lines[3]), "4");
}

// Every character of both shipped tables reads back from a box drawn with
// its own columns, between two letters so a blank shows too.
TEST(OcrShippedTables, EveryCharacterReadsBack) {
    for (OcrVersion v : {OcrVersion::V2002, OcrVersion::V2004}) {
        OcrTable table = ReadOcrTable(ShippedTable(v));
        ASSERT_GT(table.entryCount(), 90) << ProfileOf(v).tableFile;
        for (int code = kFirstOcrCode; code <= kLastOcrCode; ++code) {
            const OcrEntry& e = table.entries[static_cast<size_t>(code)];
            if (e.empty()) continue;
            ASSERT_LE(e.length, kMaxOcrColumns);
            for (int k = 0; k < e.length; ++k)
                ASSERT_EQ(e.columns[static_cast<size_t>(k)].size(), static_cast<size_t>(ProfileOf(v).columnHeight));
            std::string text = "A" + e.text + "A";
            ComposedBox box = ComposeBox(table, ProfileOf(v), {text, text});
            ASSERT_TRUE(box.missing.empty());
            OcrTable copy = table;
            OcrResult r = OcrBitmap(box.image, ProfileOf(v), copy);
            EXPECT_EQ(rtrim(r.lines[0]), text) << ProfileOf(v).tableFile << " code " << code;
            EXPECT_EQ(rtrim(r.lines[1]), text) << ProfileOf(v).tableFile << " code " << code;
        }
    }
}

TEST(OcrShippedTables, WholeCoordinateBoxesInBothLanguages) {
    for (OcrVersion v : {OcrVersion::V2002, OcrVersion::V2004}) {
        OcrTable table = ReadOcrTable(ShippedTable(v));
        for (bool dutch : {true, false}) {
            auto lines = CoordinateBoxLines(-33.925, -151.0525, dutch, {"Sydney, NSW"});
            ComposedBox box = ComposeBox(table, ProfileOf(v), lines);
            ASSERT_TRUE(box.missing.empty());
            OcrResult r = OcrBitmap(box.image, ProfileOf(v), table);
            for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(rtrim(r.lines[i]), lines[i]);
        }
    }
}

// Exact matching finds its place again after a margin: the columns before a
// character match no entry, so the scan moves on one column at a time.
TEST(OcrShippedTables, ExactMatchingSkipsAMarginBeforeTheText) {
    OcrTable table = ReadOcrTable(ShippedTable(OcrVersion::V2002));
    auto lines = CoordinateBoxLines(52.08675, 4.5, true);
    for (int margin : {2, 3, 4}) {
        OcrResult r = OcrBitmap(ComposeBox(table, k2002, lines, margin).image, k2002, table);
        EXPECT_EQ(rtrim(r.lines[1]), lines[1]) << "margin " << margin;
        EXPECT_EQ(rtrim(r.lines[2]), lines[2]) << "margin " << margin;
    }
}
