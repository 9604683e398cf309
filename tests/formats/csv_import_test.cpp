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
    EXPECT_EQ(m.columnCount, 5);
    EXPECT_EQ(std::vector<int>(m.columnTypes.begin(), m.columnTypes.begin() + 5),
              (std::vector<int>{kCsvLatitude, kCsvLongitude, kCsvTime, kCsvAltitude, kCsvSkip}));
    EXPECT_TRUE(m.headerRow);
    EXPECT_EQ(ImportWizardModel::kiesVeld("altitude"), kCsvAltitude);
    EXPECT_EQ(ImportWizardModel::kiesVeld("latitude"), kCsvLatitude);
    EXPECT_EQ(ImportWizardModel::kiesVeld("breedte"), kCsvLatitude);
    EXPECT_EQ(ImportWizardModel::kiesVeld("lengte"), kCsvLongitude);
    EXPECT_EQ(ImportWizardModel::kiesVeld("name"), kCsvSkip);

    m.columnTypes = {kCsvLatitude, kCsvLatitude, kCsvSkip, kCsvSkip, kCsvLongitude};  // the rest skip
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

TEST(CsvFields, TimesOfDay) {
    struct Row {
        const char* text;
        bool compact;
        long double seconds;  // -1: none
    } rows[] = {
        {"10:53:26.000", false, 39206},  // 10*3600 + 53*60 + 26
        {"10:53:26.5", false, 39206.5},
        {"10:53:26,25", false, 39206.25},
        {"10:53:26Z", false, 39206},
        {"063510", true, 23710},  // 6*3600 + 35*60 + 10
        {"063510.5", true, 23710.5},
        {"063510", false, -1},   // without a date it is a serial number, not a time
        {"10:53:26.", false, -1},
        {"10:53:26.5x", false, -1},
        {"23:59:59.999", false, 86399.999L},
        {"24:00:00", false, -1},
        {"0635", true, -1},
    };
    for (const auto& r : rows) {
        std::optional<long double> got = ParseTimeOfDay(r.text, r.compact);
        if (r.seconds < 0)
            EXPECT_FALSE(got.has_value()) << r.text;
        else
            EXPECT_NEAR(static_cast<double>(got.value_or(-100)), static_cast<double>(r.seconds), 1e-6) << r.text;
    }
}

TEST(CsvFields, TheFourDateForms) {
    // Days since 1899-12-30, counted with Python's datetime.
    struct Row {
        const char* text;
        long day;  // -1: none
    } rows[] = {
        {"2005/05/01", 38473}, {"2005-05-01", 38473}, {"01-05-2005", 38473}, {"010505", 38473},
        {"2004/02/29", 38046}, {"290204", 38046},     {"2005/02/29", -1},    {"31-04-2005", -1},
        {"2005/5/1", -1},      {"2005/05-01", -1},    {"0105", -1},          {"", -1},
    };
    for (const auto& r : rows) {
        std::optional<long> got = ParseCsvDate(r.text);
        EXPECT_EQ(got.value_or(-1), r.day) << r.text;
    }
    // Columbus V-900 loggers write yymmdd: 2009-04-04 is day 39907, 2005-05-01 day 38473.
    EXPECT_EQ(ParseCsvDate("090404", true).value_or(-1), 39907);
    EXPECT_EQ(ParseCsvDate("050501", true).value_or(-1), 38473);
    EXPECT_FALSE(ParseCsvDate("090431", true).has_value());
    EXPECT_NEAR(static_cast<double>(ParseCsvDateTime("2024-06-01 10:53:26.5").value_or(0)),
                45444 + 39206.5 / 86400, 1e-9);
    EXPECT_NEAR(static_cast<double>(ParseCsvDateTime("01-06-2024T12:00:00").value_or(0)), 45444.5, 1e-9);
    EXPECT_FALSE(ParseCsvDateTime("2024-06-01").has_value());
    EXPECT_FALSE(ParseCsvDateTime("2024-06-01 25:00").has_value());
}

TEST(CsvFields, HemisphereLetters) {
    struct Row {
        const char* text;
        bool latitude;
        const char* stored;  // "" for none
    } rows[] = {
        {"49.0733336N", true, "49.0733336"},   {"125.7648551W", false, "-125.7648551"},
        {"S 33.5", true, "-33.5"},             {"035.206901E", false, "035.206901"},
        {"31.765973n", true, "31.765973"},     {"49N", false, ""},  // a latitude's letter on a longitude
        {"12E", true, ""},                     {"95N", true, ""},
        {"12.5", true, "12.5"},                {"-12.5W", false, "-12.5"},
        {"N", true, ""},                       {"", true, ""},
    };
    for (const auto& r : rows) EXPECT_EQ(ParseCsvCoordinate(r.text, r.latitude).value_or(""), r.stored) << r.text;
}

TEST(CsvWizard, ListsForEveryColumnAndGuessesForLoggers) {
    ImportWizardModel m;
    m.preview = "INDEX,RCR,DATE,TIME,VALID,LATITUDE,N/S,LONGITUDE,E/W,HEIGHT,SPEED,DISTANCE,\n1,T,2005/05/01\n";
    m.initForm();
    m.separator = ',';
    m.next();
    EXPECT_EQ(m.columnCount, 13);
    EXPECT_EQ(std::vector<int>(m.columnTypes.begin(), m.columnTypes.begin() + 13),
              (std::vector<int>{kCsvSkip, kCsvSkip, kCsvDate, kCsvTime, kCsvSkip, kCsvLatitude, kCsvHemisphere,
                                kCsvLongitude, kCsvHemisphere, kCsvAltitude, kCsvSkip, kCsvSkip, kCsvSkip}));
    CsvSettings s = m.storeSettings();
    EXPECT_EQ(s.dateColumn, 3);
    EXPECT_EQ(s.hemisphereColumns, (std::vector<int>{7, 9}));
    EXPECT_EQ(ImportWizardModel::kiesVeld("datum"), kCsvDate);
    EXPECT_EQ(ImportWizardModel::kiesVeld("date/time"), kCsvDateTime);
    EXPECT_EQ(ImportWizardModel::kiesVeld("latitude n/s"), kCsvLatitude);

    std::string many;
    for (int i = 1; i <= 30; ++i) many += "c" + std::to_string(i) + ";";
    m.preview = many + "\n";
    m.separator = ';';
    m.next();
    EXPECT_EQ(m.columnCount, 20);
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

TEST_F(CsvImportTest, LoggerFilesWithDatesAndHemispheres) {
    // The iBlue 747's log: date and time columns, N/S and E/W columns.
    std::string text;
    ASSERT_TRUE(ReadCsvText(std::string(PATHKEEP_TEST_DATA_DIR) + "/csv/iblue747.csv", text).isDone());
    ImportWizardModel m;
    m.preview = text;
    m.initForm();
    m.separator = ',';
    m.next();
    formats::Env e = env();
    ASSERT_TRUE(CsvBestandInlezen(e, text, m.storeSettings()).isDone());
    core::NodeId segment = child(child(doc.trackpoints(), 0), 2);
    EXPECT_EQ(doc.childCount(segment), 747u);  // every line after the headings
    // "1,T,2005/05/01,10:12:47,Unknown,51.311770,N,12.413179,E,146,..."
    EXPECT_EQ(dump(doc.firstChild(segment)),
              "lat = 51.311770\nlon = 12.413179\nele = 146\ntime = 2005-05-01T10:12:47.000Z\n");
    EXPECT_TRUE(warnings.empty());

    // A Columbus V-900's log as the wizard guesses it: letters in the numbers,
    // "yymmdd" and "hhmmss", NUL padding, altitudes with units.
    doc.initTree();
    warnings.clear();
    const std::string columbus = std::string("INDEX,TAG,DATE,TIME,LATITUDE N/S,LONGITUDE E/W,HEIGHT\n"
                                             "68    ,T,090404,063510,31.765973N,035.206901E,827\0\0\n"
                                             "69    ,T,090404,063511.5,33.5S,070.25W,1e30\n"
                                             "70    ,T,090431,063512,33.5S,070.25W,5\n"
                                             "71    ,T,090404,063513,33.6S,070.25W,-64.153 m\n"
                                             "72    ,T,090404,063514,33.7S,070.25W,10 ft\n"
                                             "73    ,T,090404,063515,33.8S,070.25W,2.081 km/h\n",
                                             327);
    CsvSettings s = GuessCsvSettings(columbus, GuessCsvSeparator(columbus));
    EXPECT_TRUE(s.yearFirstDates);
    ASSERT_TRUE(CsvBestandInlezen(e, columbus, s).isDone());
    segment = child(child(doc.trackpoints(), 0), 2);
    EXPECT_EQ(dump(segment),
              "trkpt (1)\n  lat = 31.765973\n  lon = 035.206901\n  ele = 827\n  time = 2009-04-04T06:35:10.000Z\n"
              "trkpt (2)\n  lat = -33.5\n  lon = -070.25\n  time = 2009-04-04T06:35:11.500Z\n"
              "trkpt (3)\n  lat = -33.6\n  lon = -070.25\n  ele = -64.153\n  time = 2009-04-04T06:35:13.000Z\n"
              "trkpt (4)\n  lat = -33.7\n  lon = -070.25\n  ele = 3.048\n  time = 2009-04-04T06:35:14.000Z\n"
              "trkpt (5)\n  lat = -33.8\n  lon = -070.25\n  time = 2009-04-04T06:35:15.000Z\n");
    EXPECT_EQ(warnings, (std::vector<std::string>{"Line 4 skipped: \"090431\" is not a date",
                                                  "Line 7: altitude \"2.081 km/h\" is no number and was left out"}));
}

TEST_F(CsvImportTest, DateAndTimeInOneColumn) {
    CsvSettings s;
    s.separator = ';';
    s.dateTimeColumn = 1;
    s.latColumn = 2;
    s.lonColumn = 3;
    formats::Env e = env();
    ASSERT_TRUE(CsvBestandInlezen(e, "2024-06-01 10:53:26.000;52;5\n01-06-2024 11:00:00;53;6\nsoon;54;7\n", s).isDone());
    EXPECT_EQ(dump(child(child(doc.trackpoints(), 0), 2)),
              "trkpt (1)\n  lat = 52\n  lon = 5\n  time = 2024-06-01T10:53:26.000Z\n"
              "trkpt (2)\n  lat = 53\n  lon = 6\n  time = 2024-06-01T11:00:00.000Z\n");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Line 3 skipped: \"soon\" is not a date and time");
}
