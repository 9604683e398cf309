#include "plot/time_diagrams.h"

#include "plot_fixture.h"

using namespace plot;
using host::CanvasCall;
using host::Rgb;

namespace {
const Rgb kGrey{128, 128, 128}, kBlue{0, 0, 255};
constexpr long double kT0 = 40000;  // 6 July 2009, 00:00
constexpr long double kSecond = 1.0L / 86400;
}  // namespace

class TimeDiagramTest : public ::testing::Test, public PlotFixture {
protected:
    void add(long double lat, long double lon, long double ele, long double time) {
        core::PointRecord& p = points.append();
        p.lat = lat;
        p.lon = lon;
        p.ele = ele;
        p.time = time;
    }
    std::vector<CanvasCall> greyLines() const { return drawn(CanvasCall::Line, kGrey); }
    void prepare(int w = 1000, int h = 1000) { image.resize(w, h); }
};

TEST_F(TimeDiagramTest, TimeLinesForOneAndTwoDays) {
    struct Row {
        long double span;  // days
        size_t lines;      // up to 1440: 15 down to whole hours is 0, so 1, and m mod 1 is never 1
        const char* summary;
    } rows[] = {{1, 0, "Day(s): 1  hours: 00:00"},
                {2, 24, "Day(s): 2  hours: 00:00"},
                // 1595 minutes: 1595 div 24 = 66, down to whole hours: 60.
                {1 + 155.0L / 1440, 27, "Day(s): 1  hours: 02:35"},
                // 720000 minutes: m goes in steps of 1000, never 1 past a multiple of 60.
                {500, 0, "Day(s): 500  hours: 00:00"}};
    for (const auto& r : rows) {
        image.clear();
        points.reset();
        add(52, 5, 0, kT0);
        add(52.1, 5, 0, kT0 + r.span);
        prepare();
        PlotEnv e = env();
        ASSERT_TRUE(PlotTimeWay(points, state, controls, e).isDone());
        auto lines = greyLines();
        EXPECT_EQ(lines.size(), r.lines) << r.summary;
        ASSERT_NE(textCall(r.summary), nullptr) << r.summary;
        EXPECT_EQ(textCall(r.summary)->x1, 120);
        EXPECT_EQ(textCall(r.summary)->y1, 25);
    }
}

TEST_F(TimeDiagramTest, TwoHourLinesWithDateAndTime) {
    add(52, 5, 0, kT0);
    add(52.1, 5, 0, kT0 + 2);
    prepare();
    PlotEnv e = env();
    ASSERT_TRUE(PlotTimeWay(points, state, controls, e).isDone());
    // 2880 div 24 = 120: minutes 1, 121, ..., 2761. Two days over 1000
    // pixels is 0.002 days a pixel; minute 121 is Round((121 / 1440) / 0.002) = 42 up.
    auto lines = greyLines();
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_TRUE(lines[0] == (std::array<int, 4>{0, 1000, 1000, 1000}));  // minute 1: 0.35 pixels up
    EXPECT_TRUE(lines[1] == (std::array<int, 4>{0, 958, 1000, 958}));    // minute 121
    EXPECT_EQ(lines[1].penWidth, 1);
    ASSERT_NE(textCall("06-07-2009  02:01"), nullptr);
    EXPECT_EQ(textCall("06-07-2009  02:01")->x1, 5);
    EXPECT_EQ(textCall("06-07-2009  02:01")->y1, 951);
    ASSERT_NE(textCall("07-07-2009  22:01"), nullptr);  // minute 2761, the last
}

TEST_F(TimeDiagramTest, TimeWayPointsAndDistance) {
    // 0.001 degrees of longitude on the equator: 111.3195 m on the 6378.137 km sphere.
    add(0, 0, 0, kT0);
    add(0, 0.001, 0, kT0 + 0.5);
    add(0, 0.002, 0, kT0 + 1);
    prepare(1000, 1000);
    controls.cbHeightColor = false;
    PlotEnv e = env();
    ASSERT_TRUE(PlotTimeWay(points, state, controls, e).isDone());
    auto squares = drawn(CanvasCall::Rectangle, kBlue);
    ASSERT_EQ(squares.size(), 3u);
    // x: the distance over 0.2226 m a pixel; y: half a day is 500 pixels up.
    EXPECT_TRUE(squares[0] == (std::array<int, 4>{-2, 998, 2, 1002}));
    EXPECT_TRUE(squares[1] == (std::array<int, 4>{498, 498, 502, 502}));
    EXPECT_TRUE(squares[2] == (std::array<int, 4>{998, -2, 1002, 2}));
    ASSERT_NE(textCall("Distance: 0.22 km"), nullptr);
    EXPECT_EQ(textCall("Distance: 0.22 km")->y1, 10);
}

TEST_F(TimeDiagramTest, PointsWithoutTimesOrBackInTimeSaySo) {
    struct Row {
        std::vector<long double> times;
        const char* text;
    } rows[] = {
        {{0, 0}, "2 of the 2 points have no time: there is no time to plot"},
        {{kT0, kT0 + 60 * kSecond, 0}, "1 of the 3 points have no time: there is no time to plot"},
        {{kT0 + 1, kT0}, "The points run back in time: there is no elapsed time to plot"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        points.reset();
        for (size_t i = 0; i < r.times.size(); ++i) add(0, 0.001L * static_cast<long double>(i), 0, r.times[i]);
        prepare();
        size_t squares = image.recording().of(CanvasCall::Rectangle).size();
        PlotEnv e = env();
        core::Result result = PlotTimeWay(points, state, controls, e);
        EXPECT_TRUE(result.isNothingToDo());
        EXPECT_EQ(result.message(), r.text);
        EXPECT_NE(textCall(r.text), nullptr);
        EXPECT_EQ(image.recording().of(CanvasCall::Rectangle).size(), squares);  // no point drawn
    }
}

TEST_F(TimeDiagramTest, HeightAxisWithEdit1At200) {
    add(0, 0, 10, 0);
    add(0, 0.001, 120, 0);
    state.minAlt = 10;
    state.maxAlt = 120;
    controls.cbHeightColor = false;
    prepare(1000, 1000);
    PlotEnv e = env();
    ASSERT_TRUE(PlotTimeHeight(points, state, controls, e).isDone());
    EXPECT_EQ(controls.edit1, "200");
    // top 250 m over 1000 pixels: 4 pixels a metre. The 0 m line at 50 m
    // (y 800), then every 25 m from 0, with the one at 50 m doubled.
    std::vector<int> ys;
    for (const auto& l : greyLines()) ys.push_back(l.y1);
    EXPECT_EQ(ys, (std::vector<int>{800, 1000, 900, 800, 799, 700, 600, 500, 400, 300, 200, 100}));
    ASSERT_NE(textCall("0 m"), nullptr);
    EXPECT_EQ(textCall("0 m")->y1, 793);
    ASSERT_NE(textCall("100 m"), nullptr);
    EXPECT_EQ(textCall("100 m")->y1, 393);
    EXPECT_EQ(textCall("200 m"), nullptr);
    EXPECT_EQ(textCall("-50 m"), nullptr);
    // Points at 50 + altitude metres: 10 m at y 1000 - 240, 120 m at 1000 - 680.
    auto squares = drawn(CanvasCall::Rectangle, kBlue);
    ASSERT_EQ(squares.size(), 2u);
    EXPECT_EQ(squares[0].y1, 758);
    EXPECT_EQ(squares[1].y1, 318);
    EXPECT_EQ(squares[1].x1, 998);
    EXPECT_NE(textCall("Maximum altitude: 120 m"), nullptr);
    EXPECT_NE(textCall("Total distance: 0.11 km"), nullptr);
}

TEST_F(TimeDiagramTest, HeightAxisRisesWithTheHighestAltitude) {
    add(0, 0, 437, 0);
    state.minAlt = 10;
    state.maxAlt = 437;
    prepare(1000, 490);  // top 440 + 50 = 490 m: one pixel a metre
    PlotEnv e = env(1000, 490);
    ASSERT_TRUE(PlotTimeHeight(points, state, controls, e).isDone());
    EXPECT_EQ(controls.edit1, "440");
    ASSERT_NE(textCall("400 m"), nullptr);
    EXPECT_EQ(textCall("400 m")->y1, 490 - 450 - 7);
}

TEST_F(TimeDiagramTest, SpeedSmoothingAndADayLongGap) {
    // 111.3195 m in 10 s: 40.075 km/h; smoothed (3 * 0 + 40.075) / 4 = 10.019.
    // The next step, a degree (111.32 km) after a gap of two days, counts as
    // no elapsed time (else 2.32 km/h).
    add(0, 0, 0, kT0);
    add(0, 0.001, 0, kT0 + 10 * kSecond);
    add(0, 1.001, 0, kT0 + 10 * kSecond + 2);
    controls.cbShowHeight = true;
    prepare(1000, 1000);
    PlotEnv e = env();
    ASSERT_TRUE(PlotTimeSpeed(points, state, controls, e).isDone());
    // top Round(10.019 / 5) * 5 + 10 = 20 km/h: lines at 0, 5, 10, 15.
    std::vector<int> ys;
    for (const auto& l : greyLines()) ys.push_back(l.y1);
    EXPECT_EQ(ys, (std::vector<int>{1000, 750, 500, 250}));
    EXPECT_NE(textCall("0 km/h"), nullptr);
    EXPECT_NE(textCall("10 km/h"), nullptr);
    EXPECT_EQ(textCall("5 km/h"), nullptr);
    // Smoothed: 0, 10.019 (500.9 pixels), then (3 * 10.019 + 0) / 4 = 7.514 (375.7).
    auto squares = drawn(CanvasCall::Rectangle, kBlue);
    ASSERT_EQ(squares.size(), 3u);
    EXPECT_EQ(squares[0].y1, 998);
    EXPECT_EQ(squares[1].y1, 1000 - 501 - 2);
    EXPECT_EQ(squares[2].y1, 1000 - 376 - 2);
    // "Print altitude" writes each point's own speed.
    auto texts = this->texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "40 km/h"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "0 km/h"), 3);  // the scale and two points
    EXPECT_NE(textCall("Total distance: 111.43 km"), nullptr);
}

TEST_F(TimeDiagramTest, EmptyPointListGivesMessage20) {
    prepare();
    PlotEnv e = env();
    core::Result r = PlotTimeSpeed(points, state, controls, e);
    EXPECT_TRUE(r.isNothingToDo());
    EXPECT_EQ(r.message(), "no points");
    EXPECT_TRUE(PlotTimeWay(points, state, controls, e).isNothingToDo());
    EXPECT_TRUE(PlotTimeHeight(points, state, controls, e).isNothingToDo());
    EXPECT_EQ(image.recording().of(CanvasCall::Line).size(), 0u);
}

TEST_F(TimeDiagramTest, SortByTimeKeepsEqualTimesInOrder) {
    add(1, 0, 0, 5);
    add(2, 0, 0, 3);
    add(3, 0, 0, 5);
    add(4, 0, 0, 0);
    SortPointsByTime(points);
    std::vector<int> lats;
    for (int i = 1; i <= points.count(); ++i) lats.push_back(static_cast<int>(points[i].lat));
    EXPECT_EQ(lats, (std::vector<int>{4, 2, 1, 3}));
}

class TimeDiagramCommandTest : public TimeDiagramTest {
protected:
    void twoTracksNewerFirst() {
        doc.NewTrack("later");
        doc.AddTrackpointXmlTime("1", "0", "", "2009-07-07T10:00:00Z");
        doc.AddTrackpointXmlTime("1", "0.001", "", "2009-07-07T11:00:00Z");
        doc.NewTrack("earlier");
        doc.AddTrackpointXmlTime("1", "0.1", "", "2009-07-06T10:00:00Z");
        doc.AddTrackpointXmlTime("1", "0.101", "", "2009-07-06T11:00:00Z");
    }
    // The points' squares, after the three of the legend.
    std::vector<int> squareTops() const {
        std::vector<int> out;
        auto squares = image.recording().of(CanvasCall::Rectangle);
        for (size_t i = 3; i < squares.size(); ++i) out.push_back(squares[i].y1);
        return out;
    }
};

TEST_F(TimeDiagramCommandTest, TimeWayOnAllTracksSortsByTime) {
    twoTracksNewerFirst();
    doc.setFocused(doc.trackpoints());
    PlotEnv e = env();
    ASSERT_TRUE(mPlotTimeWayClick(data, e).isDone());
    EXPECT_EQ(doc.plotMode, kPlotTimeWay);
    auto tops = squareTops();
    ASSERT_EQ(tops.size(), 4u);
    // Sorted: the elapsed time only grows, so the points only rise.
    for (size_t i = 1; i < tops.size(); ++i) EXPECT_LE(tops[i], tops[i - 1]) << i;
}

TEST_F(TimeDiagramCommandTest, SpeedOnAWaypointUsesAllTracksUnsorted) {
    twoTracksNewerFirst();
    doc.AddWaypoint("1", "1", "", "", "w", core::Symbol::none(), "", "");
    doc.setFocused(doc.firstChild(doc.waypoints()));
    PlotEnv e = env();
    ASSERT_TRUE(mPlotTimeSpeedClick(data, e).isDone());
    EXPECT_EQ(doc.plotMode, kPlotTimeSpeed);
    EXPECT_EQ(points.count(), 4);
    // The step back in time between the tracks (11 km in -25 hours) gives
    // -0.44 km/h; smoothed (3 * 0.028 - 0.44) / 4 = -0.09: below the axis.
    auto tops = squareTops();
    ASSERT_EQ(tops.size(), 4u);
    EXPECT_GT(tops[2], 998);
}

TEST_F(TimeDiagramCommandTest, NoTrackPointsDrawsNothing) {
    doc.NewTrack("empty");
    doc.setFocused(doc.trackpoints());
    PlotEnv e = env();
    EXPECT_TRUE(mPlotTimeHeightClick(data, e).isNothingToDo());
    EXPECT_TRUE(image.recording().calls.empty());
    EXPECT_TRUE(host.fakePrompts.asked.empty());
}
