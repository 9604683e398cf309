#include "formats/csv_import.h"

#include <gtest/gtest.h>

#include "format_fixture.h"

using namespace formats;

TEST(CsvWizard, GuessesFromDutchAndEnglishHeadings) {
    ImportWizardModel m;
    m.preview = "Lat;Lon;Tijd;Hoogte;x\n51;5;12:00;3;y\n";
    m.initForm();
    m.separator = ';';
    m.next();
    EXPECT_EQ(m.columnTypes, (std::array<int, 5>{kCsvLatitude, kCsvLongitude, kCsvTime, kCsvAltitude, kCsvSkip}));
    EXPECT_TRUE(m.headerRow);
    EXPECT_EQ(ImportWizardModel::kiesVeld("altitude"), kCsvAltitude);
    EXPECT_EQ(ImportWizardModel::kiesVeld("latitude"), kCsvLatitude);
    EXPECT_EQ(ImportWizardModel::kiesVeld("breedte"), kCsvLatitude);
    EXPECT_EQ(ImportWizardModel::kiesVeld("lengte"), kCsvLongitude);
    EXPECT_EQ(ImportWizardModel::kiesVeld("name"), kCsvSkip);

    m.columnTypes = {kCsvLatitude, kCsvLatitude, kCsvSkip, kCsvSkip, kCsvLongitude};
    CsvSettings s = m.storeSettings();
    EXPECT_EQ(s.latColumn, 2);  // the rightmost list wins
    EXPECT_EQ(s.lonColumn, 5);
    EXPECT_EQ(s.timeColumn, 0);
}

TEST(CsvWizard, SplittingAndTimes) {
    auto f = SplitCsvLine("a,\"b,c\",,d", ',');
    EXPECT_EQ(f[1], "a");
    EXPECT_EQ(f[2], "\"b");
    EXPECT_EQ(f[4], "");
    EXPECT_EQ(f[0], "");
    std::string many;
    for (int i = 1; i <= 25; ++i) many += std::to_string(i) + ",";
    EXPECT_EQ(SplitCsvLine(many, ',')[20], "202122232425");
    EXPECT_EQ(ParseTimeOfDay("14:30:00"), 52200);
    EXPECT_EQ(ParseTimeOfDay("14:30"), 52200);
    EXPECT_FALSE(ParseTimeOfDay("25:00").has_value());
    EXPECT_FALSE(ParseTimeOfDay("14:3x").has_value());
}

class CsvImportTest : public ::testing::Test, public FormatFixture {};

TEST_F(CsvImportTest, ImportsWithTheWizardsSettings) {
    host.fakeLocale.separator = ',';
    std::string path = dir.write("in.csv", "Lat;Lon;Tijd;Hoogte\n51,5;5,25;14:30:00;3\n0;0;;\n52;6;nine:oh;4\n53;7;;\n");
    std::string text;
    ASSERT_TRUE(ReadCsvText(path, text).isDone());
    EXPECT_EQ(GuessCsvSeparator(text), ';');
    CsvSettings s = GuessCsvSettings(text, ';');  // what the wizard guesses from the headings
    EXPECT_EQ(s.latColumn, 1);
    EXPECT_EQ(s.lonColumn, 2);
    EXPECT_EQ(s.timeColumn, 3);
    EXPECT_EQ(s.altColumn, 4);
    EXPECT_TRUE(s.headerRow);
    formats::Env e = env();
    EXPECT_TRUE(CsvBestandInlezen(e, text, s).isDone());
    EXPECT_TRUE(host.fakePrompts.asked.empty());
    // 2008-05-01 is "today" on the test clock.
    EXPECT_EQ(dump(child(child(doc.trackpoints(), 0), 2)),
              "trkpt (1)\n  lat = 51.5\n  lon = 5.25\n  ele = 3\n  time = 2008-05-01T14:30:00.000Z\n"
              "trkpt (2)\n  lat = 53\n  lon = 7\n");
    EXPECT_EQ(log.back(), "Line 4 skipped: \"nine:oh\" is not a time");
}

TEST_F(CsvImportTest, AnImportThatGivesNoPointIsAFailure) {
    CsvSettings s;
    s.separator = ',';
    s.latColumn = 1;
    s.lonColumn = 2;
    s.headerRow = true;
    formats::Env e = env();
    // Headings only, and columns that hold no coordinates.
    EXPECT_TRUE(CsvBestandInlezen(e, "lat,lon\n", s).isFailed());
    EXPECT_TRUE(CsvBestandInlezen(e, "lat,lon\n0,0\n,\n", s).isFailed());
    EXPECT_TRUE(CsvBestandInlezen(e, "lat,lon\n1,2\n", s).isDone());
}
