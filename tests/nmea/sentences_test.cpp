#include "nmea/sentences.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/fn.h"

using namespace nmea;

namespace {

const std::string kDeg = "\xC2\xB0";

// A sentence with its checksum, as a receiver sends it.
std::string withSum(const std::string& body) {
    char sum[4];
    std::snprintf(sum, sizeof sum, "*%02X", core::NmeaChecksum(body));
    return body + sum;
}

struct Fixture {
    GpsDisplay d;
    DecodeOptions o;
    DecodeResult decode(const std::string& s) { return DecodeNMEA(s, o, d); }
};

}  // namespace

TEST(NmeaFields, SplitsLikeNmeaField) {
    // Every field of these sentences must equal what the shared helper gives.
    const char* rows[] = {
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
        "$GPGGA,1,2*7F",
        "$GPGSV,3,3,10, 07 ,,,*5A\r",
        "$GPGLL,a*b,c,,d",
        "",
        ",,,",
    };
    for (const char* s : rows) {
        NmeaFields f(s);
        for (int n = 1; n <= 25; ++n) EXPECT_EQ(std::string(f[n]), core::NmeaField(s, n)) << s << " field " << n;
    }
    EXPECT_EQ(NmeaFields("$GPGGA,1,2*7F").count(), 3);
    EXPECT_EQ(NmeaFields(std::string(100, ',')).count(), 101);  // counted past the kept ones
}

TEST(DecodeRMC, FillsTimePositionSpeedCourseVariation) {
    Fixture f;
    // The textbook RMC (NMEA reference manual).
    EXPECT_EQ(f.decode("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A").status,
              DecodeStatus::Decoded);
    EXPECT_EQ(f.d.lbTijd, "23-03-94  12:35:19");
    EXPECT_EQ(f.d.lbBreedte, "N 48" + kDeg + " 07' 038");
    EXPECT_EQ(f.d.lbLengte, "O 11" + kDeg + " 31' 000");
    EXPECT_EQ(f.d.lbSnelheid, "41.484 km/h");  // 22.4 kn x 1.852 = 41.4848, cut to six characters
    EXPECT_EQ(f.d.lbRichting, "084.4");
    EXPECT_EQ(f.d.lbDeclination, "West");
    // Fields RMC never touches stay as they were.
    EXPECT_EQ(f.d.lbHoogte, "-");
    EXPECT_EQ(f.d.lbStatus, "-");
}

TEST(DecodeRMC, FieldRules) {
    struct Row {
        const char* name;
        const char* body;  // checksum added
        char separator;
        const char* tijd;
        const char* snelheid;
        const char* richting;
        const char* declination;
    } rows[] = {
        {"no date", "$GPRMC,123519,A,,,,,,,,,", '.', "-12:35:19", "-", "-", "-"},
        {"no time", "$GPRMC,,A,,,,,,,080308,,", '.', "08-03-08  ", "-", "-", "-"},
        {"neither", "$GPRMC,,V,,,,,,,,,", '.', "-", "-", "-", "-"},
        {"hundredths kept", "$GPRMC,123519.25,A,,,,,,,080308,,", '.', "08-03-08  12:35:19.25", "-", "-", "-"},
        {"short time", "$GPRMC,1235,A,,,,,,,,,", '.', "-12:35:", "-", "-", "-"},
        {"speed 10 knots", "$GPRMC,,A,,,,,10.0,,,,", '.', "-", "18.52 km/h", "-", "-"},
        {"speed 100 knots", "$GPRMC,,A,,,,,100,,,,", '.', "-", "185.2 km/h", "-", "-"},
        {"speed comma machine", "$GPRMC,,A,,,,,10.0,12.5,,,", ',', "-", "18,52 km/h", "12,5", "-"},
        {"speed zero", "$GPRMC,,A,,,,,0.00,0.0,,,", '.', "-", "0 km/h", "0.0", "-"},
        {"speed garbage reads 0", "$GPRMC,,A,,,,,abc,,,,", '.', "-", "0 km/h", "-", "-"},
        {"east", "$GPRMC,,A,,,,,,,,0.9,E", '.', "-", "-", "-", "East"},
        {"lower case e is no east", "$GPRMC,,A,,,,,,,,0.9,e", '.', "-", "-", "-", "-"},
        {"mode field after", "$GPRMC,,A,,,,,,,,0.9,W,A", '.', "-", "-", "-", "West"},
    };
    for (const auto& r : rows) {
        Fixture f;
        f.o.decimalSeparator = r.separator;
        EXPECT_EQ(f.decode(withSum(r.body)).status, DecodeStatus::Decoded) << r.name;
        EXPECT_EQ(f.d.lbTijd, r.tijd) << r.name;
        EXPECT_EQ(f.d.lbSnelheid, r.snelheid) << r.name;
        EXPECT_EQ(f.d.lbRichting, r.richting) << r.name;
        EXPECT_EQ(f.d.lbDeclination, r.declination) << r.name;
        EXPECT_EQ(f.d.lbBreedte, "-") << r.name;  // no position: "-"
    }
}

TEST(DecodeGGA, PositionHeightSatellites) {
    struct Row {
        const char* name;
        const char* body;
        char separator;
        const char* hoogte;
        const char* sat;
        const char* breedte;
        double latDeg, lonDeg;  // the position as numbers, worked out by hand; NAN: none
    } rows[] = {
        {"textbook", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", '.', "545.4 m, 46.9 m", "08",
         "N 48° 07' 038", 48.1173, 11.516666667},
        {"no altitude", "$GPGGA,,,,,,0,,,,M,47.0,M,,", '.', "-, 47 m", "-", "-", NAN, NAN},
        {"no geoid", "$GPGGA,,,,,,0,05,,-12.30,M,,M,,", '.', "-12.3 m", "05", "-", NAN, NAN},
        {"comma machine", "$GPGGA,,,,,,0,05,,209.8,M,-34.2,M,,", ',', "209,8 m, -34,2 m", "05", "-", NAN, NAN},
        {"south five decimals", "$GPGGA,,3342.12345,S,01824.54321,E,1,12,,1,M,,", '.', "1 m", "12",
         "Z 33° 42' 1234", -33.702056667, 18.409053333},
    };
    for (const auto& r : rows) {
        Fixture f;
        f.o.decimalSeparator = r.separator;
        EXPECT_EQ(f.decode(withSum(r.body)).status, DecodeStatus::Decoded) << r.name;
        EXPECT_EQ(f.d.lbHoogte, r.hoogte) << r.name;
        EXPECT_EQ(f.d.lbSat, r.sat) << r.name;
        EXPECT_EQ(f.d.lbBreedte, r.breedte) << r.name;
        EXPECT_EQ(f.d.lbTijd, "-") << r.name;  // GGA's time is not shown
        ASSERT_EQ(f.d.position.has_value(), !std::isnan(r.latDeg)) << r.name;
        if (f.d.position) {
            EXPECT_NEAR(static_cast<double>(f.d.position->latDeg), r.latDeg, 1e-8) << r.name;
            EXPECT_NEAR(static_cast<double>(f.d.position->lonDeg), r.lonDeg, 1e-8) << r.name;
        }
    }
}

TEST(DecodeRMC, FewFieldsShowWhatTheyHave) {
    Fixture f;
    f.d.lbSnelheid = "18.52 km/h";
    EXPECT_EQ(f.decode(withSum("$GPRMC,123519")).status, DecodeStatus::Decoded);
    EXPECT_EQ(f.d.lbTijd, "-12:35:19");
    EXPECT_EQ(f.d.lbBreedte, "-");
    EXPECT_EQ(f.d.lbSnelheid, "-");
}

TEST(DecodeGLL, OnlyAValidFixMoves) {
    Fixture f;
    EXPECT_EQ(f.decode(withSum("$GPGLL,4916.45,N,12311.12,W,225444,V")).status, DecodeStatus::Ignored);
    EXPECT_EQ(f.d.lbBreedte, "-");
    EXPECT_EQ(f.decode(withSum("$GPGLL,4916.45,N,12311.12,W,225444,")).status, DecodeStatus::Ignored);
    EXPECT_EQ(f.decode(withSum("$GPGLL,4916.45,N,12311.12,W,225444,A")).status, DecodeStatus::Decoded);
    EXPECT_EQ(f.d.lbBreedte, "N 49" + kDeg + " 16' 45");
    EXPECT_EQ(f.d.lbLengte, "W 123" + kDeg + " 11' 12");
    // NMEA 1.5 GLL has no status field: left alone.
    EXPECT_NE(f.decode(withSum("$GPGLL,1111.11,S,12311.12,W,225444")).status, DecodeStatus::Decoded);
    EXPECT_EQ(f.d.lbBreedte, "N 49" + kDeg + " 16' 45");
}

TEST(DecodeGSA, FixModeAndUnknownModes) {
    struct Row {
        const char* mode;
        const char* before;
        const char* after;
    } rows[] = {
        {"", "-", "Position fix not possible"}, {"1", "-", "Position fix not possible"},
        {"2", "-", "2D position fixing"},      {"3", "-", "3D position fixing"},
        {"4", "3D position fixing", "3D position fixing"},  // unknown mode keeps the text
        {"x", "-", "-"},
    };
    for (const auto& r : rows) {
        Fixture f;
        f.d.lbStatus = r.before;
        int redraws = 0;
        auto c = f.d.satsChanged.scoped([&] { ++redraws; });
        f.decode(withSum(std::string("$GPGSA,A,") + r.mode + ",28,08,,,,,,,,,,,4.9,1.6,4.5"));
        EXPECT_EQ(f.d.lbStatus, r.after) << r.mode;
        EXPECT_EQ(redraws, 1) << r.mode;
    }
    Fixture t;
    t.o.texts.fix3d = "3D-fix";  // a translated message table
    t.decode(withSum("$GPGSA,A,3"));
    EXPECT_EQ(t.d.lbStatus, "3D-fix");
}

TEST(DecodeGSV, FillsSlotsInReportOrder) {
    // A report of ten satellites in three messages (garmin25lp.log style),
    // and the same report as NMEA 4.10 sends it, each message ending in a
    // signal ID (",1": GPS L1 C/A) that must not become a satellite.
    for (const char* signalId : {"", ",1"}) {
        Fixture f;
        f.decode(withSum(std::string("$GPGSV,3,1,10,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45") + signalId));
        f.decode(withSum(std::string("$GPGSV,3,2,10,15,10,100,,16,50,200,00,17,60,300,12,18,70,310,13") + signalId));
        f.decode(withSum(std::string("$GPGSV,3,3,10,19,80,320,14,20,85,330,15") + signalId));
        const char* numbers[] = {"01", "02", "12", "14", "15", "16", "17", "18", "19", "20", "", ""};
        int signals[] = {46, 41, 39, 45, 2, 1, 12, 13, 14, 15, 2, 2};
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(f.d.Sats[i].number, numbers[i]) << "slot " << i + 1 << " signal ID '" << signalId << "'";
            EXPECT_EQ(f.d.Sats[i].signal, signals[i]) << "slot " << i + 1 << " signal ID '" << signalId << "'";
        }
        // Slot 5 had no signal: it keeps its earlier value (2 at start); slot 6's "00" draws one pixel.
        EXPECT_EQ(GpsDisplay::BarOf(f.d.Sats[5].signal).height, 1);
    }
}

TEST(DecodeGSV, SlotCounterNeverLeavesTheTwelve) {
    Fixture f;
    // A message 2 before any message 1 finds no slot.
    f.decode(withSum("$GPGSV,2,2,08,05,40,083,46,06,17,308,41,07,07,344,39,08,22,228,45"));
    for (const auto& s : f.d.Sats) EXPECT_EQ(s.number, "-");
    // Sixteen satellites: the fourth message is dropped, slots 1-12 keep the first three.
    for (int m = 1; m <= 4; ++m) {
        std::string body = "$GPGSV,4," + std::to_string(m) + ",16";
        for (int k = 1; k <= 4; ++k) body += "," + std::to_string(m * 10 + k) + ",10,100," + std::to_string(m * 10 + k);
        f.decode(withSum(body));
        EXPECT_TRUE(f.d.nextSlot >= 0 && f.d.nextSlot <= 12);
    }
    EXPECT_EQ(f.d.Sats[0].number, "11");
    EXPECT_EQ(f.d.Sats[11].number, "34");
    EXPECT_EQ(f.d.Sats[11].signal, 34);
    // The next report starts again at slot 1.
    f.decode(withSum("$GPGSV,1,1,01,99,10,100,20"));
    EXPECT_EQ(f.d.Sats[0].number, "99");
    EXPECT_EQ(f.d.Sats[1].number, "");
    EXPECT_EQ(f.d.Sats[4].number, "21");
}

TEST(DecodeGSV, BadSignalStopsTheSentenceWithAMessage) {
    Fixture f;
    DecodeResult r = f.decode(withSum("$GPGSV,1,1,03,01,40,083,46,02,17,308,4x,03,07,344,39"));
    EXPECT_EQ(r.status, DecodeStatus::BadNumber);
    EXPECT_EQ(r.error, "'4x' is not a valid integer value");
    EXPECT_EQ(f.d.Sats[0].signal, 46);
    EXPECT_EQ(f.d.Sats[1].number, "02");
    EXPECT_EQ(f.d.Sats[1].signal, 2);   // kept
    EXPECT_EQ(f.d.Sats[2].number, "-");  // never reached
    const char* bad[] = {"99999999999", "1.5", "-", "+", "0x10"};
    for (const char* b : bad) {
        std::int32_t v;
        EXPECT_FALSE(ParseNmeaInteger(b, v)) << b;
    }
    std::int32_t v = 0;
    EXPECT_TRUE(ParseNmeaInteger("-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
}

TEST(DecodeNMEA, DispatchTalkersAndHostileSentences) {
    struct Row {
        const char* name;
        std::string sentence;
        bool allTalkers;
        DecodeStatus status;
    } rows[] = {
        {"GN off", withSum("$GNRMC,123519,A,4807.038,N,01131.000,E,1,2,230394,,"), false, DecodeStatus::Unknown},
        {"GN on", withSum("$GNRMC,123519,A,4807.038,N,01131.000,E,1,2,230394,,"), true, DecodeStatus::Decoded},
        {"BD on", withSum("$BDGSA,A,3"), true, DecodeStatus::Decoded},
        {"GQ on", withSum("$GQGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4"), true, DecodeStatus::Decoded},
        {"IN never", withSum("$INRMC,123519,A,4807.038,N,01131.000,E,1,2,230394,,"), true, DecodeStatus::Unknown},
        {"VTG ignored", withSum("$GPVTG,138.92,T,,M,0.17,N,0.3,K"), false, DecodeStatus::Ignored},
        {"proprietary", withSum("$PGRME,15.0,M,45.0,M,25.0,M"), true, DecodeStatus::Unknown},
        {"lower case", withSum("$gprmc,123519,A,4807.038,N,01131.000,E,1,2,230394,,"), false, DecodeStatus::Unknown},
        {"type only", withSum("$GPRMC"), false, DecodeStatus::TooShort},
        {"GGA type only", "$GPGGA", false, DecodeStatus::TooShort},
        {"GSV type only", "$GPGSV", false, DecodeStatus::Decoded},
        {"empty", "", false, DecodeStatus::Unknown},
        {"short", "$GP", false, DecodeStatus::Unknown},
        {"leading garbage", "x$GPGSA,A,3", false, DecodeStatus::Unknown},
        {"NUL bytes", std::string("$GPGSA,A,3\0\0\0", 13), false, DecodeStatus::Decoded},
        {"many fields", "$GPGSV,1,1" + std::string(5000, ','), false, DecodeStatus::Decoded},
    };
    for (const auto& r : rows) {
        Fixture f;
        f.o.allTalkers = r.allTalkers;
        int changes = 0;
        auto c = f.d.infoChanged.scoped([&] { ++changes; });
        EXPECT_EQ(f.decode(r.sentence).status, r.status) << r.name;
        EXPECT_EQ(changes, r.status == DecodeStatus::Decoded ? 1 : 0) << r.name;
        if (r.status != DecodeStatus::Decoded) {
            EXPECT_EQ(f.d.lbTijd, "-") << r.name;
            EXPECT_EQ(f.d.lbStatus, "-") << r.name;
        }
    }
}

TEST(GpsDisplay, BarHeights) {
    struct Row {
        std::int32_t signal;
        int height;
    } rows[] = {{0, 0}, {1, 1}, {2, 2}, {45, 44}, {99, 97}, {-5, 0}, {150, 97}, {2147483647, 97}};
    // (signal + 1) x 97 div 100, worked by hand; out-of-range values held to 0-99.
    for (const auto& r : rows) {
        SatBar b = GpsDisplay::BarOf(r.signal);
        EXPECT_EQ(b.height, r.height) << r.signal;
        EXPECT_EQ(b.top, 113 - r.height) << r.signal;
    }
    GpsDisplay d;
    for (const auto& s : d.Sats) {
        EXPECT_EQ(s.number, "-");
        EXPECT_EQ(s.signal, 2);
    }
}
