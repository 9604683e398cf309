#include "nmea/rmc_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/fn.h"

using namespace nmea;

namespace {

// The checksum worked out here, apart from the builder: XOR of the
// characters between "$" and "*", two upper-case hex digits.
std::string withSum(const std::string& body) {
    unsigned sum = 0;
    for (size_t i = 1; i < body.size() && body[i] != '*'; ++i) sum ^= static_cast<unsigned char>(body[i]);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    return body + hex;
}

}  // namespace

TEST(RmcBuilder, FirstSentenceAfterStartIsTheKnownOne) {
    RmcBuilder b;
    RmcResult r = b.MaakRMC("5.15", "52.15", "08-03-2008", "12:34:56", "0.0");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.sentence, "$GPRMC,123456,A,5209.0000,N,00509.0000,E,0.0,4.0,080308,0.9,W,A*02");
    // Course and distance from 0 N 0 E: 3.99 degrees and 5825.3 km by the
    // standard initial-course and law-of-cosines formulas.
    EXPECT_TRUE(r.moved);
    EXPECT_EQ(r.panel.compassDeg, 3);
    EXPECT_EQ(r.panel.Edit20, "4.0");
    EXPECT_EQ(r.panel.Edit18, "52.15");
    EXPECT_EQ(r.panel.Edit19, "5.15");
    EXPECT_EQ(r.panel.Edit21, "52.15");
    EXPECT_EQ(r.panel.Edit22, "5.15");
    EXPECT_EQ(r.panel.Edit23, "5825295 m");
}

TEST(RmcBuilder, RepeatedPositionKeepsTheCourse) {
    RmcBuilder b;
    ASSERT_TRUE(b.MaakRMC("5.15", "52.15", "", "", "0").ok);
    // Due east by 0.01 degree: 89.996 degrees, 683 m.
    RmcResult east = b.MaakRMC("5.16", "52.15", "", "", "0");
    EXPECT_EQ(east.panel.Edit20, "90.0");
    EXPECT_EQ(east.panel.compassDeg, 89);
    EXPECT_EQ(east.panel.Edit23, "683 m");
    RmcResult again = b.MaakRMC("5.16", "52.15", "", "", "0");
    EXPECT_FALSE(again.moved);
    EXPECT_NE(again.sentence.find(",0,90.0,000,"), std::string::npos) << again.sentence;
    EXPECT_EQ(again.panel.Edit23, "0 m");
    EXPECT_EQ(again.panel.Edit21, "0");
    EXPECT_EQ(again.panel.Edit22, "0");
    EXPECT_EQ(again.panel.Edit20, "90.0");  // unchanged
    EXPECT_EQ(again.panel.compassDeg, 89);
}

TEST(RmcBuilder, SouthWestAndEmptyDateAndTime) {
    RmcBuilder b;
    RmcResult r = b.MaakRMC("-123.25", "-0.5", "", "", "0.0");
    ASSERT_TRUE(r.ok);
    // 269.4 degrees from 0 N 0 E by the standard formula; three significant
    // digits leave 269.
    EXPECT_EQ(r.sentence, withSum("$GPRMC,000,A,0030.0000,S,12315.0000,W,0.0,269.0,000,0.9,W,A*"));
}

TEST(RmcBuilder, CoordinateFields) {
    struct Row {
        const char* name;
        const char* text;
        bool latitude;
        const char* field;
        char hemisphere;
    } rows[] = {
        {"start latitude", "52.15", true, "5209.0000", 'N'},
        {"half south", "-0.5", true, "0030.0000", 'S'},
        {"far west", "-123.25", false, "12315.0000", 'W'},
        {"small east", "5.15", false, "00509.0000", 'E'},
        {"comma", "4,5", false, "00430.0000", 'E'},
        {"whole degrees get zero minutes", "52", true, "5200.0000", 'N'},
        {"whole negative", "-4", false, "00400.0000", 'W'},
        {"minutes cut, not rounded", "52.123456789", true, "5207.4074", 'N'},
        {"exponent spelling", "1E-6", true, "0000.0000", 'N'},
        {"zero", "0", false, "00000.0000", 'E'},
        {"blanks around", " 8 ", true, "0800.0000", 'N'},
    };
    for (const Row& r : rows) {
        std::string field;
        char h = '?';
        bool ok = r.latitude ? RmcLatitudeField(r.text, field, h) : RmcLongitudeField(r.text, field, h);
        EXPECT_TRUE(ok) << r.name;
        EXPECT_EQ(field, r.field) << r.name;
        EXPECT_EQ(h, r.hemisphere) << r.name;
    }
    std::string field;
    char h;
    EXPECT_FALSE(RmcLatitudeField("abc", field, h));
    EXPECT_FALSE(RmcLongitudeField("", field, h));
    // Stray characters after a number would read as 0 degrees in the minutes.
    EXPECT_FALSE(RmcLongitudeField("5.1\xB5", field, h));
    EXPECT_FALSE(RmcLatitudeField("90.5", field, h));
    EXPECT_TRUE(RmcLatitudeField("-90", field, h));
    EXPECT_FALSE(RmcLongitudeField("180.01", field, h));
    EXPECT_FALSE(RmcLongitudeField("nan", field, h));
}

TEST(RmcBuilder, DateTimeAndCourseTexts) {
    EXPECT_EQ(RmcDateField("08-03-2008"), "080308");
    EXPECT_EQ(RmcDateField("8-3-2008"), "080308");
    EXPECT_EQ(RmcDateField(""), "000");
    EXPECT_EQ(RmcDateField("31/12/99"), "311299");
    EXPECT_EQ(RmcTimeField("12:34:56"), "123456");
    EXPECT_EQ(RmcTimeField("1:2:3"), "010203");
    EXPECT_EQ(RmcTimeField("12:34:56.5"), "123456.5");
    EXPECT_EQ(RmcTimeField(""), "000");
    EXPECT_EQ(RmcCourseText(4.0L), "4.0");
    EXPECT_EQ(RmcCourseText(89.6L), "89.6");
    EXPECT_EQ(RmcCourseText(123.0L), "123.0");
    EXPECT_EQ(RmcCourseText(123.46L), "123.0");  // three significant digits win
    EXPECT_EQ(RmcCourseText(359.7L), "360.0");
    EXPECT_EQ(RmcCourseText(99.96L), "100.0");
    EXPECT_EQ(RmcCourseText(4.04L), "4.0");
}

TEST(RmcBuilder, SpeedTextIsCutAndPointed) {
    RmcBuilder b;
    RmcResult r = b.MaakRMC("5.15", "52.15", "", "", "19,43844492");
    EXPECT_NE(r.sentence.find(",E,19.438,4.0,"), std::string::npos) << r.sentence;
    // Texts that would break the sentence apart lose those characters.
    RmcResult odd = b.MaakRMC("5.15", "52.15", "", "12:3*4:5,6", "1*2,");
    EXPECT_EQ(odd.sentence.rfind("$GPRMC,123456,A,", 0), 0u) << odd.sentence;
    EXPECT_NE(odd.sentence.find(",E,12.,4.0,"), std::string::npos) << odd.sentence;
    EXPECT_TRUE(core::CheckNmeaChecksum(odd.sentence));
}

TEST(RmcBuilder, BadCoordinateChangesNothing) {
    RmcBuilder b;
    ASSERT_TRUE(b.MaakRMC("5.15", "52.15", "", "", "0").ok);
    RmcResult bad = b.MaakRMC("x", "52.2", "", "", "0");
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(bad.sentence.empty());
    EXPECT_NE(bad.error.find("'x'"), std::string::npos);
    EXPECT_EQ(b.previousLat(), 52.15L);
    EXPECT_EQ(bad.panel.Edit18, "52.15");
    // The next good sentence measures from the last good position.
    RmcResult next = b.MaakRMC("5.15", "52.15", "", "", "0");
    EXPECT_FALSE(next.moved);
}

TEST(RmcBuilder, ChangesUseTheDecimalSeparator) {
    RmcBuilder b;
    b.setDecimalSeparator(',');
    RmcResult r = b.MaakRMC("5,15", "52,5", "", "", "0");
    EXPECT_EQ(r.panel.Edit21, "52,5");
    EXPECT_EQ(r.panel.Edit22, "5,15");
    EXPECT_EQ(r.panel.Edit18, "52,5");
}

TEST(RmcBuilder, NumbersBuildWhatTheirTextsBuild) {
    // Two builders in step: one given general texts, one the numbers.
    struct Step {
        long double lon, lat, knots;
    } steps[] = {
        {5.1000091L, 51.4000137L, 3.2089L},
        {5.1000182L, 51.4000274L, 19.438444924406L},
        {5.1000182L, 51.4000274L, 0},             // not moved: the course stays
        {-123.25L, -0.5L, 0.1234567890123L},
        {0.000001L, 0.0000005L, 1e-7L},           // written with an exponent
        {-0.0L, 0.0L, 12345678.9L},
        {181, 52, 1},                             // no longitude: nothing changes
        {5.15L, 91, 1},                           // no latitude
        {179.99999999999L, -89.999999999999L, 2.5L},
        {5.123456789012345L, 52.987654321098765L, 99.999999L},
    };
    RmcBuilder byText, byNumber;
    for (const Step& s : steps) {
        RmcResult t = byText.MaakRMC(core::FloatToStrGeneral(s.lon), core::FloatToStrGeneral(s.lat), "08-03-2008", "12:34:56",
                                     core::FloatToStrGeneral(s.knots));
        RmcResult n = byNumber.MaakRMC(s.lon, s.lat, "08-03-2008", "12:34:56", s.knots);
        std::string at = core::FloatToStrGeneral(s.lat) + " " + core::FloatToStrGeneral(s.lon);
        EXPECT_EQ(n.ok, t.ok) << at;
        EXPECT_EQ(n.sentence, t.sentence) << at;
        EXPECT_EQ(n.error, t.error) << at;
        EXPECT_EQ(n.moved, t.moved) << at;
        EXPECT_EQ(n.panel.Edit18, t.panel.Edit18) << at;
        EXPECT_EQ(n.panel.Edit19, t.panel.Edit19) << at;
        EXPECT_EQ(n.panel.Edit20, t.panel.Edit20) << at;
        EXPECT_EQ(n.panel.Edit21, t.panel.Edit21) << at;
        EXPECT_EQ(n.panel.Edit23, t.panel.Edit23) << at;
        EXPECT_EQ(n.panel.compassDeg, t.panel.compassDeg) << at;
        EXPECT_TRUE(byNumber.previousLat() == byText.previousLat() && byNumber.previousLon() == byText.previousLon());
    }
    RmcResult bad = byNumber.MaakRMC(181.0L, 52.0L, "", "", 0);
    EXPECT_EQ(bad.error, "'181' is not a valid longitude (-180 to 180 degrees)");
}

TEST(RmcBuilder, ShortAndOddTimeAndDateFields) {
    // A missing part is one "0"; a part is padded by its length as typed,
    // then the characters that would break the sentence are left out.
    EXPECT_EQ(RmcTimeField("12:34"), "12340");
    EXPECT_EQ(RmcTimeField("1*:2,:3$"), "123");
    EXPECT_EQ(RmcTimeField("*:1"), "0010");
    EXPECT_EQ(RmcDateField("08-03"), "08030");
    EXPECT_EQ(RmcDateField("8"), "0800");
}

TEST(RmcBuilder, ANumberWithAnExponentIsAPositionNearZero) {
    // Within 0.00001 degrees of the equator the general text has an
    // exponent; its mantissa's digits are no degrees.
    std::string field;
    char hemisphere = 0;
    ASSERT_TRUE(RmcLatitudeField("1.5E-6", field, hemisphere));
    EXPECT_EQ(field, "0000.0000");
    EXPECT_EQ(hemisphere, 'N');
    ASSERT_TRUE(RmcLongitudeField("-9.5e-6", field, hemisphere));
    EXPECT_EQ(field, "00000.0005");
    EXPECT_EQ(hemisphere, 'W');
    RmcBuilder b;
    RmcResult r = b.MaakRMC(0.0000015L, 0.0000025L, "", "", 0);
    ASSERT_TRUE(r.ok);
    EXPECT_NE(r.sentence.find(",0000.0001,N,00000.0000,E,"), std::string::npos) << r.sentence;
}

namespace {

// The field as zeros inserted in front one at a time, then zeros appended
// and the whole cut to the width: the plain spelling of the padding rule.
std::string paddedByInsertion(std::string t, size_t width) {
    auto pointPos = [&] {
        size_t p = t.find('.');
        return p == std::string::npos ? 0 : p + 1;
    };
    while (pointPos() <= width - 5 && t.size() <= width) t.insert(0, "0");
    t.append(width, '0');
    t.resize(width);
    return t;
}

}  // namespace

TEST(RmcBuilder, FieldPaddingFollowsTheInsertionRule) {
    // Every shape DegToNmea gives: whole and fractional degrees of one to
    // three digits, both signs, long and short minutes, and odd spellings.
    std::vector<std::string> texts = {"0", "5", "52", "179", "-0.5", "0.0000001", "9.999999999", "89.9999999",
                                      "-179.9999999", "100", "12.5", "+5", "007.25", "52.", ".5", "1E-6"};
    unsigned long long seed = 99;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        long double v = static_cast<long double>(seed >> 11) / 9007199254740992.0L * 180;
        int decimals = static_cast<int>((seed >> 5) % 12);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s%.*Lf", seed & 1 ? "-" : "", decimals, v);
        texts.push_back(buf);
    }
    for (const std::string& text : texts) {
        for (bool latitude : {true, false}) {
            std::string field;
            char h = '?';
            bool ok = latitude ? RmcLatitudeField(text, field, h) : RmcLongitudeField(text, field, h);
            std::optional<long double> value = core::ParseNumber(text);
            if (!ok) {
                EXPECT_TRUE(!value || std::fabs(*value) > (latitude ? 90 : 180)) << text;
                continue;
            }
            std::optional<std::string> plain = text.find_first_of("eE") == std::string::npos ? core::DegToNmea(text)
                                                                                            : std::nullopt;
            if (!plain) continue;  // the fixed-notation route, covered above
            std::string digits = *plain;
            if (!digits.empty() && digits[0] == '-') digits.erase(0, 1);
            ASSERT_EQ(field, paddedByInsertion(digits, latitude ? 9 : 10)) << text << (latitude ? " lat" : " lon");
        }
    }
}

TEST(RmcBuilder, AReusedResultHoldsOnlyTheLastSentence) {
    RmcBuilder kept, fresh;
    RmcResult into;
    const long double hops[][2] = {{5.15L, 52.15L}, {5.1501L, 52.1502L}, {5.1501L, 52.1502L}, {-4.5L, -0.5L}};
    for (const auto& hop : hops) {
        kept.MaakRMC(hop[0], hop[1], "08-03-2008", "12:34:56", 3.5L, into);
        RmcResult r = fresh.MaakRMC(hop[0], hop[1], "08-03-2008", "12:34:56", 3.5L);
        EXPECT_EQ(into.sentence, r.sentence);
        EXPECT_EQ(into.moved, r.moved);
        EXPECT_TRUE(into.ok);
        EXPECT_EQ(into.panel.compassDeg, r.panel.compassDeg);
    }
    // A failure leaves no sentence of the one before behind.
    kept.MaakRMC(5.0L, 91.0L, "", "", 0.0L, into);
    EXPECT_FALSE(into.ok);
    EXPECT_TRUE(into.sentence.empty());
    EXPECT_FALSE(into.error.empty());
    kept.MaakRMC(5.0L, 52.0L, "", "", 0.0L, into);
    EXPECT_TRUE(into.ok);
    EXPECT_TRUE(into.error.empty());
}

TEST(RmcBuilder, WithoutAPanelTheNumbersBuildWhatTheirTextsBuild) {
    // The command line builds the coordinate fields from the numbers; the
    // page goes through their texts. Hop after hop, the sentences agree.
    std::vector<long double> values = {0.0L,       -0.0L,      52,        -4,           0.5L,        -0.5L,
                                       52.999999999999999L, 59.9999999999999L, 1e-6L, -1e-5L, 89.99999L,
                                       179.999999999L, -180,   90,       90.0000001L, 180.5L,      1.0L / 3};
    unsigned long long seed = 4242;
    for (int i = 0; i < 4000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        long double v = static_cast<long double>(seed >> 11) / 9007199254740992.0L * 200 - 100;
        int decimals = static_cast<int>((seed >> 3) % 10);
        values.push_back(std::round(v * std::pow(10.0L, decimals)) / std::pow(10.0L, decimals));
    }
    RmcBuilder page, line;
    line.setPanelShown(false);
    for (size_t i = 0; i + 1 < values.size(); ++i) {
        long double lat = values[i] / 2 + (i % 3 == 0 ? values[i] / 2 : 0), lon = values[i + 1];
        RmcResult a = page.MaakRMC(lon, lat, "08-03-2008", "12:34:56", 3.25L);
        RmcResult b = line.MaakRMC(lon, lat, "08-03-2008", "12:34:56", 3.25L);
        ASSERT_EQ(a.ok, b.ok) << static_cast<double>(lat) << " " << static_cast<double>(lon);
        ASSERT_EQ(a.sentence, b.sentence) << static_cast<double>(lat) << " " << static_cast<double>(lon);
        ASSERT_EQ(a.error, b.error);
        EXPECT_EQ(a.panel.compassDeg, b.panel.compassDeg);
    }
}
