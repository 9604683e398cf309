#include "plot/track_stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "../core/tree_fixture.h"

using namespace plot;

namespace {

// Tracks run north along 5° E, so a step's length is its change of latitude
// times the metres per degree of the program's 6378.137 km sphere.
constexpr long double kMetresPerDegree = 6378137.0L * 3.14159265358979323846L / 180;
constexpr long double kT0 = 45000;  // 15 March 2023, 00:00
constexpr long double kNoTime = -1;

struct Fix {
    long double northM, seconds, altitudeM;  // seconds kNoTime: no time
};

core::PointRecord record(const Fix& f) {
    core::PointRecord p;
    p.lat = 52 + f.northM / kMetresPerDegree;
    p.lon = 5;
    p.ele = f.altitudeM;
    p.time = f.seconds == kNoTime ? 0 : kT0 + f.seconds / 86400;
    return p;
}

}  // namespace

// Expected figures worked out by hand beside each row.
TEST(TrackStatsTest, HandWorkedTracks) {
    struct Row {
        const char* name;
        std::vector<Fix> fixes;
        long double lengthM, durationS, movingS, averageKmh, movingAverageKmh, maxKmh;
        long double ascentM, descentM, lowestM, highestM;
        bool timed;
    } rows[] = {
        // 15 m every 10 s (5.4 km/h), a minute standing while the fix drifts
        // 0.5 m (0.03 km/h), on at 5.4 km/h. Moving: four steps, 40 s, 60 m.
        // Average 60.5 m / 100 s = 2.178 km/h. Step speeds 5.4 5.4 0.03 5.4 5.4: median 5.4.
        {"a pause",
         {{0, 0, 10}, {15, 10, 10}, {30, 20, 10}, {30.5, 80, 10}, {45.5, 90, 10}, {60.5, 100, 10}},
         60.5, 100, 40, 2.178L, 5.4L, 5.4L, 0, 0, 10, 10, true},
        // No times. Flat ground within +-2 m of 100 m adds nothing; the climb
        // to 200 m in 20 m steps adds 100 m; the noise at the top (up to
        // 202 m) nothing; the drop to 150 m 50 m. Lowest 98, highest 202.
        {"a climb with noise",
         {{0, kNoTime, 100}, {10, kNoTime, 102}, {20, kNoTime, 98}, {30, kNoTime, 101}, {40, kNoTime, 99},
          {50, kNoTime, 120}, {60, kNoTime, 140}, {70, kNoTime, 160}, {80, kNoTime, 180}, {90, kNoTime, 200},
          {100, kNoTime, 202}, {110, kNoTime, 198}, {120, kNoTime, 201}, {130, kNoTime, 150}},
         130, 0, 0, 0, 0, 0, 100, 50, 98, 202, false},
        // 10 m a second (36 km/h) with the sixth fix thrown 250 m ahead: steps
        // 10 10 10 10 260 240 10 10 10 10 m, at most two of any five wild, so
        // every median is 36 km/h. Length 580 m in 10 s: 208.8 km/h on average.
        // Altitude 0 m reads as none.
        {"a spike",
         {{0, 0, 0}, {10, 1, 0}, {20, 2, 0}, {30, 3, 0}, {40, 4, 0}, {300, 5, 0}, {60, 6, 0}, {70, 7, 0},
          {80, 8, 0}, {90, 9, 0}, {100, 10, 0}},
         580, 10, 10, 208.8L, 208.8L, 36, 0, 0, 0, 0, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        core::PointList points;
        for (const Fix& f : r.fixes) points.append(record(f));
        const TrackStats s = MeasurePoints(points);
        EXPECT_EQ(s.points, static_cast<long>(r.fixes.size()));
        EXPECT_NEAR(s.lengthKm * 1000, r.lengthM, 0.001);
        EXPECT_EQ(s.timed, r.timed);
        EXPECT_NEAR(s.durationS, r.durationS, 0.001);
        EXPECT_NEAR(s.movingS, r.movingS, 0.001);
        EXPECT_NEAR(s.averageKmh(), r.averageKmh, 0.001);
        EXPECT_NEAR(s.movingAverageKmh(), r.movingAverageKmh, 0.001);
        EXPECT_NEAR(s.maxKmh, r.maxKmh, 0.001);
        EXPECT_EQ(s.hasAltitude, r.highestM != 0);
        EXPECT_NEAR(s.ascentM, r.ascentM, 1e-9);
        EXPECT_NEAR(s.descentM, r.descentM, 1e-9);
        EXPECT_NEAR(s.lowestM, r.lowestM, 1e-9);
        EXPECT_NEAR(s.highestM, r.highestM, 1e-9);
    }
}

// From the tree: a track's segments are measured apart (the 1 km gap
// between them and the hour it took count in neither length nor moving
// time), a focused point gives its segment, and the list rows of the same
// track, written with a decimal comma, measure the same.
TEST(TrackStatsTest, TreeSegmentsAndListRows) {
    TreeFixture f;
    f.host.fakeLocale.separator = ',';
    auto add = [&f](const Fix& x) {
        core::PointRecord p = record(x);
        char lat[32], time[32];
        std::snprintf(lat, sizeof lat, "%.9Lf", p.lat);
        std::snprintf(time, sizeof time, "%.9Lf", p.time);
        f.doc.AddTrackpoint(lat, "5", "", time);
    };
    f.doc.NewTrack("two parts");
    const core::NodeId track = f.doc.parent(f.doc.currentSegment);
    const core::NodeId first = f.doc.currentSegment;
    add({0, 0, 0});
    add({100, 20, 0});
    add({200, 40, 0});
    f.doc.currentSegment = f.doc.appendNode(track, "trkseg", core::kSegmentKind);
    add({1200, 3640, 0});
    add({1300, 3660, 0});

    core::PointLoader loader = f.loader();
    TrackStats whole, part;
    ASSERT_TRUE(MeasureNode(f.doc, loader, StatsSubject(f.doc, track), whole));
    ASSERT_TRUE(MeasureNode(f.doc, loader, StatsSubject(f.doc, f.doc.firstChild(first)), part));
    EXPECT_EQ(whole.points, 5);
    EXPECT_NEAR(whole.lengthKm, 0.3, 1e-6);
    EXPECT_NEAR(whole.durationS, 3660, 0.01);
    EXPECT_NEAR(whole.movingS, 60, 0.01);
    EXPECT_NEAR(whole.movingAverageKmh(), 18, 1e-3);
    EXPECT_EQ(part.points, 3);
    EXPECT_NEAR(part.lengthKm, 0.2, 1e-6);
    EXPECT_EQ(StatsSubject(f.doc, f.doc.waypoints()), core::kNoNode);

    loader.ShowTrack(f.rows, track);
    ASSERT_NE(f.rows.cell(1, core::kColLat).find(','), std::string::npos);
    const TrackStats fromRows = MeasureRows(f.rows);
    EXPECT_EQ(fromRows.points, 5);
    EXPECT_NEAR(fromRows.durationS, whole.durationS, 0.01);
    // The list has no segments: the gap is one more step of 1 km in an hour.
    EXPECT_NEAR(fromRows.lengthKm, 1.3, 1e-4);
}

// The texts the panel and the command line show, and what is missing.
TEST(TrackStatsTest, Texts) {
    TrackStats s;
    s.points = 3;
    s.lengthKm = 12.345;
    s.timed = s.hasSpeed = true;
    s.startTime = kT0 + 0.5;
    s.endTime = kT0 + 0.5 + 3725.0L / 86400;
    s.durationS = 3725;
    s.movingS = 90061;  // past a day: hours go on
    s.movingKm = 25;
    s.maxKmh = 36.04;
    auto t = StatTexts(s, ',');
    EXPECT_EQ(t[kStatLength], "12,35 km");
    EXPECT_EQ(t[kStatDuration], "1:02:05");
    EXPECT_EQ(t[kStatMoving], "25:01:01");
    EXPECT_EQ(t[kStatMaximum], "36,0 km/h");
    EXPECT_EQ(t[kStatStart], "2023-03-15 12:00:00");
    EXPECT_EQ(t[kStatEnd], "2023-03-15 13:02:05");
    EXPECT_EQ(t[kStatAscent], "-");
    EXPECT_EQ(t[kStatHighest], "-");
}
