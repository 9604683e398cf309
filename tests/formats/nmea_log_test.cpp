#include "formats/nmea_log.h"

#include <gtest/gtest.h>

#include "core/fn.h"
#include "format_fixture.h"

using namespace formats;

// Expected values worked out by hand: 48°07.038' = 48 + 7.038/60.
TEST(NmeaLog, FieldsAsDegreesAndDates) {
    EXPECT_NEAR(static_cast<double>(*NmeaLatitude("4807.038", "N")), 48.1173, 1e-12);
    EXPECT_NEAR(static_cast<double>(*NmeaLongitude("01131.000", "E")), 11.516666666666667, 1e-12);
    EXPECT_NEAR(static_cast<double>(*NmeaLongitude("01131.000", "W")), -11.516666666666667, 1e-12);
    EXPECT_NEAR(static_cast<double>(*NmeaLatitude("4807.038", "")), -48.1173, 1e-12);  // no hemisphere: south
    // Five decimals of the minutes: the first four count.
    EXPECT_NEAR(static_cast<double>(*NmeaLatitude("4636.00129", "N")), 46 + 36.0012 / 60, 1e-12);
    EXPECT_NEAR(static_cast<double>(*NmeaLatitude("4636", "N")), 46.6, 1e-12);  // no decimals
    // An exponent or a sign is no position: "1e9" would be a billion degrees.
    for (const char* bad : {"1e912.0000", "-0512.0000", "05x2.0000", "0512.00a0"})
        EXPECT_FALSE(NmeaLongitude(bad, "E").has_value()) << bad;

    // 23 March 1994 12:35:19: day 34416 since 1899-12-30, plus 45319 s.
    auto t = NmeaDateTime("230394", "123519", 2008, true);
    ASSERT_TRUE(t.has_value());
    EXPECT_NEAR(static_cast<double>(*t), 34416 + 45319.0 / 86400, 1e-9);
    // Two-digit years: the hundred years from 1958 in 2008.
    EXPECT_EQ(core::DecodeDateTime(*NmeaDateTime("010157", "000000", 2008, true)).year, 2057);
    EXPECT_EQ(core::DecodeDateTime(*NmeaDateTime("010158", "000000", 2008, true)).year, 1958);
    EXPECT_EQ(core::DecodeDateTime(*NmeaDateTime("010100", "120000.250", 2008, true)).millisecond, 250);
    EXPECT_EQ(core::DecodeDateTime(*NmeaDateTime("010100", "120000.250", 2008, false)).millisecond, 0);
    for (auto [date, time] : {std::pair{"310694", "120000"}, {"230394", "126000"}, {"2303", "120000"}, {"xx0394", "1"}})
        EXPECT_FALSE(NmeaDateTime(date, time, 2008, true).has_value()) << date << " " << time;
}

class NmeaLogTest : public ::testing::Test, public FormatFixture {
protected:
    core::Result read(const std::string& text, bool allTalkers = false) {
        formats::Env e = env();
        return NmeaBestandInlezen(e, dir.write("in.log", text), NmeaLogOptions{allTalkers});
    }
    static std::string sentence(const std::string& body) {
        char sum[4];
        std::snprintf(sum, sizeof sum, "%02X", core::NmeaChecksum("$" + body + "*"));
        return "$" + body + "*" + sum + "\r\n";
    }
};

TEST_F(NmeaLogTest, RmcPositionsWithTheAltitudeOfTheLastGga) {
    std::string text = sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
                      "$GPGGA,1,2,N,3,E,1,08,0.9,600,M,,M,,*00\r\n"  // a bad checksum still sets the altitude
                      "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n" +
                      sentence("GPRMC,123520,A,,N,01131.000,E,0,0,230394,,") +       // no latitude: nothing
                      "$GPRMC,123521,A,4807.038,N,01131.000,E,0,0,230394,,*00\r\n" +  // bad checksum
                      sentence("GPRMC,123522,V,4807.040,N,01131.002,E,0,0,,,") +      // no date: no time
                      sentence("GPRMC,123523,A,4807.041,N,01131.003,E,0,0,310694,,") +  // 31 June: skipped
                      sentence("GNRMC,123524,A,4807.042,N,01131.004,E,0,0,230394,,");   // another system
    ASSERT_TRUE(read(text).isDone());
    core::NodeId seg = doc.segmentOf(child(doc.trackpoints(), 0));
    ASSERT_EQ(doc.childCount(seg), 2u);
    EXPECT_EQ(dump(child(seg, 0)), "lat = 48.1173\nlon = 11.5166666666667\nele = 600\ntime = 1994-03-23T12:35:19.000Z\n");
    EXPECT_EQ(doc.getText(child(child(seg, 1), 2)), "ele = 600");
    EXPECT_EQ(doc.childCount(child(seg, 1)), 3u);  // no time line
    int errors = 0;
    for (const auto& l : log) errors += l.rfind("Error> line ", 0) == 0;
    EXPECT_EQ(errors, 2);  // the bad checksum and the impossible date; reading went on

    doc.initTree();
    ASSERT_TRUE(read(text, true).isDone());
    EXPECT_EQ(doc.childCount(doc.segmentOf(child(doc.trackpoints(), 0))), 3u);  // $GNRMC too
}

TEST_F(NmeaLogTest, StreamedFileAndMemoryReadAlike) {
    std::string rmc = sentence("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
    std::string last = sentence("GPRMC,123521,A,4807.039,S,01131.001,W,0,0,230394,,");
    std::string text = "\xEF\xBB\xBF" + rmc +                                  // a byte order mark
                       "$GPRMC," + std::string(200000, '1') + "\r\n" +          // far too long for a sentence
                       sentence("GPRMC,123520,A,48x7.038,N,01131.000,E,0,0,230394,,") +  // letters: skipped
                       last.substr(0, last.size() - 2);  // no line end
    ASSERT_TRUE(read(text).isDone());
    core::NodeId seg = doc.segmentOf(child(doc.trackpoints(), 0));
    ASSERT_EQ(doc.childCount(seg), 2u);
    EXPECT_EQ(doc.getText(child(child(seg, 1), 0)), "lat = -48.1173166666667");
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "Error> line 2: $GPRMC," + std::string(75, '1'));  // the first 82 characters
    EXPECT_EQ(warnings[1].rfind("Error> line 3: $GPRMC,123520", 0), 0u) << warnings[1];

    doc.initTree();
    warnings.clear();
    formats::Env e = env();
    ASSERT_TRUE(NmeaLogInlezen(e, text, NmeaLogOptions{}).isDone());
    seg = doc.segmentOf(child(doc.trackpoints(), 0));
    EXPECT_EQ(doc.childCount(seg), 2u);
    EXPECT_EQ(warnings.size(), 2u);  // the long line fails its checksum there
}

TEST_F(NmeaLogTest, LogsWithoutGpRmcPositionsSayWhatTheyGave) {
    const std::string gga1 = sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    const std::string gga2 = sentence("GPGGA,123520,4807.040,S,01131.002,W,2,08,0.9,546,M,46.9,M,,");
    const std::string noFix = sentence("GPGGA,123521,4807.041,N,01131.003,E,0,00,,,M,,M,,");
    const std::string rmc = sentence("GPRMC,123522,A,4807.042,N,01131.004,E,0,0,230394,,");
    struct Row {
        const char* name;
        std::string text;
        bool allTalkers;
        std::vector<std::string> names;  // of the points read, in order
        const char* warning;             // the start of the one warning; none: ""
    };
    const std::vector<Row> rows = {
        {"GGA only", gga1 + noFix + gga2, true, {"12:35:19", "12:35:20"}, "No RMC positions: 2 GGA positions"},
        {"GGA before RMC", gga1 + gga2 + rmc, true, {""}, ""},
        {"GN only, other systems off", sentence("GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
                                           sentence("GNRMC,123522,A,4807.042,N,01131.004,E,0,0,230394,,"),
         false, {}, "2 sentences of other satellite systems were passed over"},
        {"GN only, the default", sentence("GNRMC,123522,A,4807.042,N,01131.004,E,0,0,230394,,"),
         NmeaLogOptions{}.allTalkers, {""}, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        doc.initTree();
        warnings.clear();
        ASSERT_TRUE(read(r.text, r.allTalkers).isDone());
        core::NodeId seg = doc.segmentOf(child(doc.trackpoints(), 0));
        std::vector<std::string> names;
        core::PointLoader l = loader();
        for (core::NodeId p = doc.firstChild(seg); p != core::kNoNode; p = doc.nextSibling(p))
            names.push_back(l.readPoint(p).name);
        EXPECT_EQ(names, r.names);
        ASSERT_EQ(warnings.size(), *r.warning ? 1u : 0u);
        if (*r.warning) {
            EXPECT_EQ(warnings[0].rfind(r.warning, 0), 0u) << warnings[0];
        }
    }
    // RMC times are UTC: stored as the same instant in the machine's zone.
    host.fakeClock.offsetMinutes = 60;
    doc.initTree();
    ASSERT_TRUE(read(rmc).isDone());
    EXPECT_NE(dump(doc.segmentOf(child(doc.trackpoints(), 0))).find("time = 1994-03-23T13:35:22.000+01:00"),
              std::string::npos);
    host.fakeClock.offsetMinutes = 0;
    // A GGA position keeps its altitude, and its hemispheres.
    doc.initTree();
    ASSERT_TRUE(read(gga2).isDone());
    EXPECT_EQ(dump(child(doc.segmentOf(child(doc.trackpoints(), 0)), 0)),
              "lat = -48.1173333333333\nlon = -11.5167\nele = 546\nname = 12:35:20\n");
}
