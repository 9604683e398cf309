#include "nmea/nmea_file_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>

#include "../temp_dir.h"
#include "core/fn.h"
#include "nmea/rmc_builder.h"

using namespace nmea;

namespace {

// Great-circle distance in metres on the sphere of radius 6378.137 km,
// written out here (haversine) rather than taken from the code under test.
double metres(double lat1, double lon1, double lat2, double lon2) {
    const double r = 6378137, rad = M_PI / 180;
    double a = std::pow(std::sin((lat2 - lat1) * rad / 2), 2) +
               std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::pow(std::sin((lon2 - lon1) * rad / 2), 2);
    return 2 * r * std::asin(std::sqrt(a));
}

struct Fix {
    double lat, lon;
    std::string time, speed, date;
};

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::stringstream in(s);
    for (std::string f; std::getline(in, f, sep);) out.push_back(f);
    return out;
}

// Reads one sentence back the plain way: ddmm.mmmm and dddmm.mmmm.
Fix parse(const std::string& sentence) {
    unsigned sum = 0;
    size_t star = sentence.find('*');
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
    EXPECT_EQ(std::stoul(sentence.substr(star + 1), nullptr, 16), sum) << sentence;
    auto f = split(sentence.substr(0, star), ',');
    EXPECT_EQ(f.at(0), "$GPRMC");
    double lat = std::stod(f.at(3).substr(0, 2)) + std::stod(f.at(3).substr(2)) / 60;
    double lon = std::stod(f.at(5).substr(0, 3)) + std::stod(f.at(5).substr(3)) / 60;
    if (f.at(4) == "S") lat = -lat;
    if (f.at(6) == "W") lon = -lon;
    return {lat, lon, f.at(1), f.at(7), f.at(9)};
}

core::PointList track(int count, double step = 0.001) {
    core::PointList points;
    for (int i = 1; i <= count; ++i) {
        core::PointRecord& p = points.append();
        p.lat = 52 + step * (i - 1);  // north along a meridian, about 111 m apart
        p.lon = 5.1 + 0.0002 * (i % 2);
        p.time = 39515.5 + i / 86400.0;  // 8 March 2008 12:00:01 ...
    }
    return points;
}

struct Written {
    core::Result result = core::Result::nothingToDo();
    std::vector<std::string> lines, memo;
    long sentences = 0;
};

Written write(const core::PointList& points, NmeaFileOptions options) {
    Written w;
    RmcBuilder builder;
    formats::StringSink sink;
    core::Operation operation;
    w.result = WriteNmeaSentences(points, options, builder, sink, [&](const std::string& l) { w.memo.push_back(l); },
                                  operation, w.sentences);
    for (const auto& l : split(sink.text, '\n')) {
        EXPECT_EQ(l.back(), '\r');
        w.lines.push_back(l.substr(0, l.size() - 1));
    }
    return w;
}

}  // namespace

TEST(NmeaFileWriter, TenPointsAtTenMetresASecondUntilPointNine) {
    core::PointList points = track(10);
    Written w = write(points, {10, 1, TimeOption::StartFrom, 39515.5});  // 08-03-2008 12:00:00
    ASSERT_TRUE(w.result.isDone()) << w.result.message();
    double length = 0;
    for (int i = 2; i <= 9; ++i)
        length += metres(static_cast<double>(points[i - 1].lat), static_cast<double>(points[i - 1].lon),
                         static_cast<double>(points[i].lat), static_cast<double>(points[i].lon));
    ASSERT_EQ(w.lines.size(), 1 + static_cast<size_t>(std::ceil(length / 10)));
    EXPECT_EQ(w.sentences, static_cast<long>(w.lines.size()));
    std::vector<Fix> fixes;
    for (const auto& l : w.lines) fixes.push_back(parse(l));
    EXPECT_NEAR(fixes[0].lat, 52, 1e-6);
    EXPECT_EQ(fixes[0].speed, "0.0");
    EXPECT_EQ(fixes[0].time, "120000");
    EXPECT_EQ(fixes[0].date, "080308");
    EXPECT_EQ(fixes[1].time, "120001");
    EXPECT_EQ(fixes[1].speed, "19.438");  // 10 m/s in knots, cut to six characters
    // Along the track (not straight across the zigzag) every stride is
    // 10 m; straight lines can only be shorter. Minutes are cut to four
    // decimals: up to 0.2 m off.
    for (size_t i = 1; i + 1 < fixes.size(); ++i) {
        double d = metres(fixes[i - 1].lat, fixes[i - 1].lon, fixes[i].lat, fixes[i].lon);
        EXPECT_LT(d, 10.4) << i;
        EXPECT_GT(d, 8.5) << i;
    }
    EXPECT_LE(metres(fixes[fixes.size() - 2].lat, fixes[fixes.size() - 2].lon, fixes.back().lat, fixes.back().lon),
              10.4);
    // The last sentence is on point 9, not on point 10.
    EXPECT_LT(metres(fixes.back().lat, fixes.back().lon, static_cast<double>(points[9].lat),
                     static_cast<double>(points[9].lon)), 0.3);
    EXPECT_EQ(fixes.back().time, core::ZeroPad(12, 2) + "01" + core::ZeroPad(static_cast<long>(w.lines.size() - 1) % 60, 2));
    EXPECT_EQ(w.memo[0], w.lines[0]);
    EXPECT_EQ(w.memo.back(), "9 : " + w.lines.back());
}

TEST(NmeaFileWriter, TimeOptionsAndShortTracks) {
    for (int count : {1, 2}) {
        Written w = write(track(count), {10, 1, TimeOption::Original, 0});
        ASSERT_TRUE(w.result.isDone());
        ASSERT_EQ(w.lines.size(), 1u) << count;
        EXPECT_EQ(parse(w.lines[0]).time, "120001");  // point 1's own time
    }
    // Point times and now are local: the sentences carry UTC, whatever the machine's zone.
    struct Zone {
        TimeOption option;
        int offsetMinutes;
        const char* date;
        const char* time;
    };
    for (const Zone& z : {Zone{TimeOption::Original, 60, "080308", "110001"},
                          Zone{TimeOption::Now, 60, "080308", "110000"},
                          Zone{TimeOption::Now, -300, "080308", "170000"},
                          Zone{TimeOption::StartFrom, 60, "080308", "120000"}}) {  // typed: as typed
        Written w = write(track(1), {10, 1, z.option, 39515.5, z.offsetMinutes});
        ASSERT_EQ(w.lines.size(), 1u);
        EXPECT_EQ(parse(w.lines[0]).date + " " + parse(w.lines[0]).time, std::string(z.date) + " " + z.time)
            << z.offsetMinutes;
    }
    Written given = write(track(3), {5, 2, TimeOption::GivenSpeed, 39515.5});
    EXPECT_EQ(parse(given.lines[0]).date, "301299");  // "Given speed" starts at day 0
    EXPECT_EQ(parse(given.lines[1]).time, "000002");
    EXPECT_EQ(parse(given.lines[1]).speed, "9.7192");  // 5 m/s: 5 x 1.94384 knots
    Written none = write(core::PointList(), {10, 1, TimeOption::Now, 39515.5});
    EXPECT_TRUE(none.result.isNothingToDo());
    EXPECT_TRUE(none.lines.empty() || (none.lines.size() == 1 && none.lines[0].empty()));
}

TEST(NmeaFileWriter, UnusableSpeedOrStepWritesNothing) {
    TempDir dir;
    core::PointList points = track(10);
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double inf = std::numeric_limits<long double>::infinity();
    struct Row {
        const char* name;
        long double speed, step;
    } rows[] = {{"speed 0", 0, 1},   {"negative speed", -10, 1}, {"speed NaN", nan, 1}, {"speed infinite", inf, 1},
                {"step 0", 10, 0},   {"negative step", 10, -1},  {"step NaN", 10, nan}, {"too small to end", 1e-12L, 1e-9L}};
    for (const auto& r : rows) {
        std::string path = dir.file("out.log");
        RmcBuilder builder;
        core::Operation operation;
        long sentences = -1;
        core::Result res = MaakNmeaBestand(path, points, {r.speed, r.step, TimeOption::Now, 39515.5}, builder,
                                           nullptr, operation, sentences);
        EXPECT_TRUE(res.isFailed()) << r.name;
        EXPECT_FALSE(res.message().empty()) << r.name;
        EXPECT_EQ(sentences, 0) << r.name;
        EXPECT_FALSE(std::filesystem::exists(path)) << r.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0) << r.name;
    }
    // A file that stood there stays as it was when the walk is refused.
    std::string path = dir.write("keep.log", "old");
    RmcBuilder builder;
    core::Operation operation;
    long sentences = 0;
    EXPECT_TRUE(MaakNmeaBestand(path, points, {0, 1, TimeOption::Now, 0}, builder, nullptr, operation, sentences)
                    .isFailed());
    EXPECT_EQ(readFile(path), "old");
    EXPECT_TRUE(MaakNmeaBestand(path, points, {10, 1, TimeOption::Now, 0}, builder, nullptr, operation, sentences)
                    .isDone());
    EXPECT_EQ(readFile(path).rfind("$GPRMC,", 0), 0u);
}
