#include "nmea/coordinate_conversion.h"

#include <gtest/gtest.h>

using namespace nmea;

namespace {

CoordinateFields decimal(const std::string& text) {
    CoordinateFields f;
    f.decimal = text;
    return f;
}

}  // namespace

// Worked by hand: 0.15° = 9', 0.5° = 30', 0.51° = 30.6' = 30' 36".
TEST(CoordinateConversion, DecimalToTheOtherNotations) {
    struct Row {
        const char* name;
        std::string text;
        Axis axis;
        const char *cleaned, *deg, *min, *sec, *dir, *dmDeg, *dmMin;
    } rows[] = {
        {"start latitude", "52.15", Axis::Latitude, "52.15", "52", "9", "0", "N", "52", "9"},
        {"west", "-4.5", Axis::Longitude, "-4.5", "4", "30", "0", "W", "-4", "30"},
        {"half north", "0.5", Axis::Latitude, "0.5", "0", "30", "0", "N", "0", "30"},
        {"half south", "-0.5", Axis::Latitude, "-0.5", "0", "30", "0", "S", "-0", "30"},
        {"seconds", "5.51", Axis::Longitude, "5.51", "5", "30", "36", "E", "5", "30.6"},
        {"typed with symbols", "52\xC2\xB0" "09.5'", Axis::Latitude, "5209.5", "5209", "30", "0", "N", "5209", "30"},
    };
    for (const auto& r : rows) {
        CoordinateFields f = decimal(r.text);
        EXPECT_EQ(SpeedButton9(f, r.axis, '.'), "") << r.name;
        EXPECT_EQ(f.decimal, r.cleaned) << r.name;
        EXPECT_EQ(f.degrees, r.deg) << r.name;
        EXPECT_EQ(f.minutes, r.min) << r.name;
        EXPECT_EQ(f.seconds, r.sec) << r.name;
        EXPECT_EQ(f.direction, r.dir) << r.name;
        EXPECT_EQ(f.dmDegrees, r.dmDeg) << r.name;
        EXPECT_EQ(f.dmMinutes, r.dmMin) << r.name;
    }
    CoordinateFields comma = decimal("52.15");
    EXPECT_EQ(SpeedButton9(comma, Axis::Latitude, ','), "");
    EXPECT_EQ(comma.decimal, "52,15");
}

TEST(CoordinateConversion, RoundTripsComeBack) {
    CoordinateFields f = decimal("-33.5");
    ASSERT_EQ(SpeedButton9(f, Axis::Latitude, '.'), "");
    f.decimal.clear();
    ASSERT_EQ(SpeedButton10(f, Axis::Latitude, '.'), "");
    EXPECT_EQ(f.decimal, "-33.5");
    f.decimal.clear();
    ASSERT_EQ(SpeedButton11(f, Axis::Latitude, '.'), "");
    EXPECT_EQ(f.decimal, "-33.5");

    // d-m-s -> decimal minutes -> d-m-s.
    CoordinateFields g{"", "5", "30", "36", "w", "", ""};
    ASSERT_EQ(SpeedButton12(g, Axis::Longitude, '.'), "");
    EXPECT_EQ(g.direction, "W");
    EXPECT_EQ(g.dmDegrees, "-5");
    EXPECT_EQ(g.dmMinutes, "30.6");
    g = CoordinateFields{"", "", "", "", "", g.dmDegrees, g.dmMinutes};
    ASSERT_EQ(SpeedButton13(g, Axis::Longitude, '.'), "");
    EXPECT_EQ(g.degrees, "5");
    EXPECT_EQ(g.minutes, "30");
    EXPECT_EQ(g.seconds, "36");
    EXPECT_EQ(g.direction, "W");
}

TEST(CoordinateConversion, TypedDirectionsBadIntegersAndTheSixDecimals) {
    // "z" counts as south only once button 12 has made it upper case.
    CoordinateFields f{"", "10", "0", "1", "z", "", ""};
    ASSERT_EQ(SpeedButton10(f, Axis::Latitude, '.'), "");
    EXPECT_EQ(f.decimal, "10.000277");  // 10 + 1/3600, cut to six decimals
    f.direction = "Z";
    ASSERT_EQ(SpeedButton10(f, Axis::Latitude, '.'), "");
    EXPECT_EQ(f.decimal, "-10.000277");
    // Button 10 reads a bad degrees field as 0; the others stop with a message.
    f.degrees = "ten";
    ASSERT_EQ(SpeedButton10(f, Axis::Latitude, '.'), "");
    EXPECT_EQ(f.decimal, "-0.000277");
    f.dmDegrees = "x";
    EXPECT_EQ(SpeedButton11(f, Axis::Latitude, '.'), "'x' is not a valid integer value");
    EXPECT_EQ(SpeedButton13(f, Axis::Latitude, '.'), "'x' is not a valid integer value");
    f.minutes = "1.5";
    EXPECT_EQ(SpeedButton12(f, Axis::Latitude, ','), "'1.5' is not a valid integer value");
}
