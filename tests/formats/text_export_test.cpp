#include "formats/text_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "format_fixture.h"

using namespace formats;

class TextExportTest : public ::testing::Test, public FormatFixture {
protected:
    static SaveOptions fields(std::vector<int> chosen, WholeDocument whole = WholeDocument::Tracks) {
        SaveOptions o;
        o.whole = whole;
        for (int f : chosen) o.fields.push_back(FieldSelectionModel::entryOf(f));
        return o;
    }
};

TEST_F(TextExportTest, ChosenFieldsInOrderWithTheLocaleSeparator) {
    host.fakeLocale.separator = ',';
    doc.AddWaypoint("52.5", "5", "", "", "WP1", core::Symbol::none(), "", "");
    doc.NewTrack("t");
    doc.AddTrackpoint("51", "4", "", "");
    formats::Env e = env();
    ASSERT_TRUE(SaveAsTXT(e, dir.file("out.txt"), fields({8, 2}, WholeDocument::Waypoints)).isDone());
    EXPECT_EQ(readFile(dir.file("out.txt")), "Name\tLatitude\r\nWP1\t52,5\r\n");
    EXPECT_TRUE(host.fakePrompts.asked.empty());  // writers never ask
}

TEST_F(TextExportTest, LineBreaksAndTabsInTextsStayInTheirField) {
    doc.AddWaypoint("52.5", "5", "", "", "two\r\nlines", core::Symbol::none(), "c\tc\nd", "");
    formats::Env e = env();
    ASSERT_TRUE(SaveAsTXT(e, dir.file("out.txt"), fields({8, 10, 2}, WholeDocument::Waypoints)).isDone());
    EXPECT_EQ(readFile(dir.file("out.txt")), "Name\tComment\tLatitude\r\ntwo  lines\tc c d\t52.5\r\n");
}

TEST_F(TextExportTest, EmptyChoiceDatesAndCancel) {
    doc.NewTrack("t");
    doc.AddTrackpoint("51", "4", "", "");
    doc.AddTrackpoint("52", "5", "", "39569.5452430556");
    formats::Env e = env();
    ASSERT_TRUE(SaveAsTXT(e, dir.file("empty.txt"), fields({})).isDone());
    EXPECT_EQ(readFile(dir.file("empty.txt")), "\r\n\r\n\r\n");

    ASSERT_TRUE(SaveAsTXT(e, dir.file("dates.txt"), fields({1, 5, 6, 7})).isDone());
    EXPECT_EQ(readFile(dir.file("dates.txt")),
              "Nr\tDate/Time\tDate\tTime\r\n"
              "1\t1899-12-30 00:00:00\t30-12-1899\t00:00:00\r\n"
              "2\t2008-05-01 13:05:09\t01-05-2008\t13:05:09\r\n");

    // A selection save with nothing focused has nothing to write.
    SaveOptions o = fields({2});
    o.selectionOnly = true;
    EXPECT_TRUE(SaveAsTXT(e, dir.file("none.txt"), o).isNothingToDo());
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.txt")));
}

TEST(FieldSelection, MovesAndAvailableList) {
    FieldSelectionModel m;
    m.chosen = {"[03] Longitude", "hand written"};
    m.rebuildAvailable();
    EXPECT_EQ(m.available.size(), 10u);
    EXPECT_EQ(m.available[0], "[01] Nr");
    EXPECT_TRUE(m.choose(0));
    EXPECT_EQ(m.chosen.back(), "[01] Nr");
    EXPECT_TRUE(m.unchoose(0));
    EXPECT_EQ(m.available[1], "[03] Longitude");  // back in sorted place
    EXPECT_EQ(m.chosen, (std::vector<std::string>{"hand written", "[01] Nr"}));
    EXPECT_FALSE(m.choose(99));
    EXPECT_EQ(FieldNumberOf("hand written"), 0);
}
