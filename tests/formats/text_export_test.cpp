#include "formats/text_export.h"

#include <gtest/gtest.h>

#include "format_fixture.h"

using namespace formats;

class TextExportTest : public ::testing::Test, public FormatFixture {
protected:
    std::vector<std::string> fields;
    std::vector<std::string> savedDefault;
    formats::Env textEnv() {
        formats::Env e = env();
        e.exportFields = &fields;
        e.saveFieldsAsDefault = [this](const std::vector<std::string>& f) { savedDefault = f; };
        return e;
    }
    // Plays the user in the field dialog.
    void chooseInDialog(std::vector<int> choice, bool ok = true) {
        host.fakePrompts.dialogResults = {ok};
        host.fakePrompts.fillDialog = [choice](host::DialogModel& m) {
            auto& d = dynamic_cast<FieldSelectionModel&>(m);
            for (int f : choice) {
                auto it = std::find_if(d.available.begin(), d.available.end(),
                                       [f](const std::string& e) { return FieldNumberOf(e) == f; });
                ASSERT_NE(it, d.available.end());
                d.choose(static_cast<size_t>(it - d.available.begin()));
            }
            d.saveAsDefault(d.chosen);
        };
    }
};

TEST_F(TextExportTest, ChosenFieldsInOrderWithTheLocaleSeparator) {
    host.fakeLocale.separator = ',';
    doc.AddWaypoint("52.5", "5", "", "", "WP1", core::Symbol::none(), "", "");
    doc.NewTrack("t");
    doc.AddTrackpoint("51", "4", "", "");
    host.fakePrompts.answers = {host::Answer::No};  // waypoints
    chooseInDialog({8, 2});
    formats::Env e = textEnv();
    ASSERT_TRUE(SaveAsTXT(e, dir.file("out.txt"), false).ok);
    EXPECT_EQ(readFile(dir.file("out.txt")), "Name\tLatitude\r\nWP1\t52,5\r\n");
    EXPECT_EQ(host.fakePrompts.asked[0].text, "message 40");
    EXPECT_EQ(savedDefault, (std::vector<std::string>{"[08] Name", "[02] Latitude"}));
    EXPECT_EQ(fields, savedDefault);  // the choice is kept for next time
}

TEST_F(TextExportTest, EmptyChoiceDatesAndCancel) {
    doc.NewTrack("t");
    doc.AddTrackpoint("51", "4", "", "");
    doc.AddTrackpoint("52", "5", "", "39569.5452430556");
    chooseInDialog({});
    formats::Env e = textEnv();
    SaveAsTXT(e, dir.file("empty.txt"), false);
    EXPECT_EQ(readFile(dir.file("empty.txt")), "\r\n\r\n\r\n");

    chooseInDialog({1, 5, 6, 7});
    SaveAsTXT(e, dir.file("dates.txt"), false);
    EXPECT_EQ(readFile(dir.file("dates.txt")),
              "Nr\tDate/Time\tDate\tTime\r\n"
              "1\t1899-12-30 00:00:00\t30-12-1899\t00:00:00\r\n"
              "2\t2008-05-01 13:05:09\t01-05-2008\t13:05:09\r\n");

    chooseInDialog({2}, false);
    SaveAsTXT(e, dir.file("cancelled.txt"), false);
    EXPECT_EQ(readFile(dir.file("cancelled.txt")), "");
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
