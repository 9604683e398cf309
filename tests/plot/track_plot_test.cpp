#include "plot/track_plot.h"

#include "plot/time_diagrams.h"
#include "plot_fixture.h"

using namespace plot;
using host::CanvasCall;
using host::Rgb;

namespace {
const Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 128, 0}, kYellow{255, 255, 0};
}

class TrackPlotTest : public ::testing::Test, public PlotFixture {
protected:
    core::NodeId track(const std::string& name) {
        doc.NewTrack(name);
        return doc.parent(doc.currentSegment);
    }
    core::Result plotPoints(int w, int h) {
        PlotEnv e = env(w, h);
        return mPlotpointsClick(data, e);
    }
};

TEST_F(TrackPlotTest, PositionsWithMarginsAndScale) {
    core::NodeId t = track("a");
    doc.AddTrackpoint("10", "20", "100", "");
    doc.AddTrackpoint("10.9", "21.8", "200", "");
    doc.setFocused(t);
    ASSERT_TRUE(plotPoints(200, 100).isDone());
    // 1.8 degrees over 180 pixels and 0.9 over 90: 0.01 degrees per pixel;
    // margins 10 (left) and 5 (bottom).
    EXPECT_NEAR(static_cast<double>(state.plotScale), 0.01, 1e-12);
    auto squares = drawn(CanvasCall::Rectangle, kBlue);  // altitude 100 = minAlt
    auto red = drawn(CanvasCall::Rectangle, kRed);       // altitude 200 = maxAlt
    // The legend draws one square of each colour too, at x 138..142.
    ASSERT_EQ(squares.size(), 2u);
    ASSERT_EQ(red.size(), 3u);  // legend, the point, the last point again over the compass
    EXPECT_TRUE(squares[1] == (std::array<int, 4>{8, 93, 12, 97}));
    EXPECT_TRUE(red[1] == (std::array<int, 4>{188, 3, 192, 7}));
    auto lines = drawn(CanvasCall::Line, kRed);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_TRUE(lines[0] == (std::array<int, 4>{10, 95, 190, 5}));
    EXPECT_EQ(doc.plotMode, kPlotPoints);
}

TEST_F(TrackPlotTest, AntimeridianShift) {
    core::NodeId t = track("a");
    doc.AddTrackpoint("0", "179.5", "", "");
    doc.AddTrackpoint("0.5", "-179.5", "", "");
    doc.setFocused(t);
    ASSERT_TRUE(plotPoints(1000, 1000).isDone());
    // Bounds: minLon 179.5, maxLon 180.5 (-179.5 + 360): the track's real
    // degree over 900 pixels, as its half degree of latitude over 450.
    ASSERT_EQ(state.minLon, 179.5);
    ASSERT_EQ(state.maxLon, 180.5);
    auto lines = drawn(CanvasCall::Line, kRed);
    ASSERT_GE(lines.size(), 1u);
    // From (179.5, 0) at the left margin to (180.5, 0.5): 900 pixels right, 450 up.
    EXPECT_TRUE(lines[0] == (std::array<int, 4>{50, 950, 950, 500}))
        << lines[0].x1 << " " << lines[0].y1 << " " << lines[0].x2 << " " << lines[0].y2;
    // A grid line a tenth of a degree: some ten across, not thousands.
    size_t vertical = 0;
    for (const auto& g : drawn(CanvasCall::Line, Rgb{128, 128, 128})) vertical += g.x1 == g.x2;
    EXPECT_GE(vertical, 9u);
    EXPECT_LE(vertical, 12u);
}

TEST_F(TrackPlotTest, CompassNeedle) {
    struct Row {
        int bearing;
        int x, y;  // needle tip: 24 + Round(sin d * 22), 24 + Round(cos d * -22)
    } rows[] = {{0, 24, 2}, {90, 46, 24}, {180, 24, 46}, {270, 2, 24}, {45, 40, 8}};
    for (const auto& r : rows) {
        auto compass = MakeCompass(canvases, r.bearing);
        const auto& rec = canvases.made.back();
        auto lines = rec->of(CanvasCall::Line);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(lines[0] == (std::array<int, 4>{24, 24, r.x, r.y})) << r.bearing;
        EXPECT_EQ(lines[0].pen, kRed);
        EXPECT_EQ(lines[0].penWidth, 4);
        auto face = rec->of(CanvasCall::Ellipse);
        ASSERT_EQ(face.size(), 1u);
        EXPECT_TRUE(face[0] == (std::array<int, 4>{1, 1, 48, 48}));
        EXPECT_EQ(face[0].penWidth, 3);
        EXPECT_EQ(face[0].brush, (Rgb{166, 202, 240}));
        EXPECT_EQ(rec->of(CanvasCall::FillRect).at(0).colour, kYellow);
    }
}

TEST_F(TrackPlotTest, ShowDirectionOnTheCompasAndThePlot) {
    host::FakeCanvas compas(49, 49), plotImage(800, 600);
    ShowDirection(90, canvases, &compas, Rgb{240, 240, 240}, &plotImage);
    auto fill = compas.recording().of(CanvasCall::FillRect);
    ASSERT_EQ(fill.size(), 1u);
    EXPECT_EQ(fill[0].colour, (Rgb{240, 240, 240}));
    auto onCompas = compas.recording().of(CanvasCall::Draw);
    ASSERT_EQ(onCompas.size(), 1u);
    EXPECT_EQ(onCompas[0].x1, 0);
    EXPECT_EQ(onCompas[0].transparent, kYellow);
    auto onPlot = plotImage.recording().of(CanvasCall::Draw);
    ASSERT_EQ(onPlot.size(), 1u);
    EXPECT_EQ(onPlot[0].x1, 800 - 49 - 10);
    EXPECT_EQ(onPlot[0].y1, 20);
    EXPECT_EQ(onPlot[0].transparent, kYellow);
}

TEST_F(TrackPlotTest, TheLastStepsDirectionAndTheLastPointOnTop) {
    core::NodeId t = track("a");
    doc.AddTrackpoint("10", "20", "", "");
    doc.AddTrackpoint("10", "21", "", "");  // due east
    doc.setFocused(t);
    ASSERT_TRUE(plotPoints(400, 400).isDone());
    const auto& calls = image.recording().calls;
    size_t drawAt = calls.size();
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].kind == CanvasCall::Draw) drawAt = i;
    ASSERT_LT(drawAt, calls.size());
    const auto& compass = canvases.made.at(static_cast<size_t>(calls[drawAt].source));
    auto needle = compass->of(CanvasCall::Line).at(0);
    EXPECT_EQ(needle.x2, 46);  // east
    EXPECT_EQ(needle.y2, 24);
    // After it: the last point's line and square.
    bool squareAfter = false;
    for (size_t i = drawAt; i < calls.size(); ++i) squareAfter |= calls[i].kind == CanvasCall::Rectangle;
    EXPECT_TRUE(squareAfter);
}

TEST_F(TrackPlotTest, MarkedPointsAreGreenDotsAndNeverConnected) {
    track("t");
    doc.AddTrackpoint("10", "20", "", "");
    doc.AddTrackpoint("11", "21", "", "");
    doc.AddWaypoint("10", "20", "", "", "A", core::Symbol::name("Flag"), "", "");
    doc.AddWaypoint("11", "21", "", "", "B", core::Symbol::name("Flag"), "", "");
    doc.setFocused(doc.waypoints());
    controls.cbShowNames = true;
    controls.cbShowHeight = true;
    controls.cbHeightColor = false;  // no legend texts
    ASSERT_TRUE(plotPoints(1000, 1000).isDone());
    auto dots = drawn(CanvasCall::Ellipse, kGreen);
    ASSERT_GE(dots.size(), 2u);
    for (const auto& d : dots) EXPECT_EQ(d.brush, kGreen);
    // Scale 1/900, margins 50: (10, 20) at (50, 950), (11, 21) at (950, 50).
    EXPECT_TRUE(dots[0] == (std::array<int, 4>{46, 946, 54, 954}));
    EXPECT_TRUE(drawn(CanvasCall::Line, kRed).empty());
    ASSERT_NE(textCall("1  A "), nullptr);
    EXPECT_EQ(textCall("1  A ")->x1, 54);
    EXPECT_EQ(textCall("1  A ")->y1, 944);
    EXPECT_EQ(textCall("1  A ")->brush, (Rgb{255, 255, 255}));
    ASSERT_NE(textCall("2  B "), nullptr);
    ASSERT_NE(textCall("0 m"), nullptr);
    EXPECT_EQ(textCall("0 m")->x1, 42);
    EXPECT_EQ(textCall("0 m")->y1, 936);
}

TEST_F(TrackPlotTest, LineToATrackPointStartsAtTheLastDrawnPointOfAnyKind) {
    points.reset();
    auto add = [&](long double lat, long double lon, const char* sym) {
        core::PointRecord& p = points.append();
        p.lat = lat;
        p.lon = lon;
        p.sym = std::string(sym);
    };
    add(0, 0, "");
    add(0, 0.1, "18");  // a marked point between two track points
    add(0, 0.2, "");
    state.minLat = 0;
    state.maxLat = 0;
    state.minLon = 0;
    state.maxLon = 0.9;
    state.plotScale = 0.001;  // 0.1 degree = 100 pixels
    image.resize(1000, 1000);
    PlotEnv e = env();
    ASSERT_TRUE(PlotTrack(points, state, controls, e).isDone());
    auto lines = drawn(CanvasCall::Line, kRed);
    ASSERT_GE(lines.size(), 1u);
    // The first track point starts no line; the marked point at x 150 is
    // where the line to the third point begins.
    EXPECT_TRUE(lines[0] == (std::array<int, 4>{150, 950, 250, 950}));
}

TEST_F(TrackPlotTest, SuccessivePlotsAccumulateUntilADiagram) {
    core::NodeId t = track("a");
    doc.AddTrackpoint("10", "20", "5", "40000");
    doc.AddTrackpoint("10.5", "20.5", "9", "40000.1");
    doc.setFocused(t);
    auto resizes = [&] { return image.recording().of(CanvasCall::Resize).size(); };
    ASSERT_TRUE(plotPoints(300, 300).isDone());
    ASSERT_TRUE(plotPoints(300, 300).isDone());
    EXPECT_EQ(resizes(), 1u);  // drawn twice on one canvas
    EXPECT_EQ(drawn(CanvasCall::Line, kRed).size(), 4u);
    PlotEnv e = env(300, 300);
    ASSERT_TRUE(mPlotTimeWayClick(data, e).isDone());
    EXPECT_EQ(resizes(), 2u);
    ASSERT_TRUE(plotPoints(300, 300).isDone());
    EXPECT_EQ(resizes(), 3u);  // a fresh canvas again
}

TEST_F(TrackPlotTest, AllTracksEachStartWithoutALine) {
    track("a");
    doc.AddTrackpoint("10", "20", "", "");
    doc.AddTrackpoint("10", "21", "", "");
    track("b");
    doc.AddTrackpoint("11", "20", "", "");
    doc.AddTrackpoint("11", "21", "", "");
    doc.setFocused(doc.trackpoints());
    ASSERT_TRUE(plotPoints(1000, 1000).isDone());
    // One line per track, each drawn twice (the second over the compass); none between the tracks.
    auto lines = drawn(CanvasCall::Line, kRed);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].y1, lines[0].y2);
    EXPECT_EQ(lines[2].y1, lines[2].y2);
    EXPECT_NE(lines[0].y1, lines[2].y1);
}

TEST_F(TrackPlotTest, NothingPlottedFromMetadataOrWithoutFocus) {
    track("a");
    doc.AddTrackpoint("10", "20", "", "");
    EXPECT_TRUE(plotPoints(100, 100).isNothingToDo());
    EXPECT_TRUE(image.recording().calls.empty());
    doc.setFocused(doc.metadata());
    EXPECT_TRUE(plotPoints(100, 100).isNothingToDo());
    EXPECT_TRUE(image.recording().of(CanvasCall::Ellipse).empty());
}

TEST_F(TrackPlotTest, BadEdit1AbandonsAndTheNextPlotStartsAfresh) {
    core::NodeId t = track("a");
    doc.AddTrackpoint("10", "20", "", "");
    doc.setFocused(t);
    controls.edit1 = "x";
    core::Result r = plotPoints(100, 100);
    ASSERT_TRUE(r.isFailed());
    EXPECT_EQ(r.message(), "'x' is not a valid integer value");
    EXPECT_EQ(doc.plotMode, kPlotNothing);
    controls.edit1 = "200";
    ASSERT_TRUE(plotPoints(100, 100).isDone());
    EXPECT_EQ(image.recording().of(CanvasCall::Resize).size(), 2u);
}

TEST_F(TrackPlotTest, EscapeStopsTheDrawing) {
    core::NodeId t = track("a");
    for (int i = 0; i < 1000; ++i) doc.AddTrackpoint(std::to_string(10 + i * 0.001), "20", "", "");
    doc.setFocused(t);
    int yields = 0;
    core::Operation cancelling(core::Operation::Hooks{[&] {
                                                          if (++yields == 2) cancelling.requestCancel();
                                                      },
                                                      {}, {}});
    PlotEnv e = env(300, 300);
    PlotEnv withCancel{e.image, 300, 300, canvases, host.fakeLocale, host.fakePrompts, cancelling, e.message,
                       e.status};
    ASSERT_TRUE(mPlotpointsClick(data, withCancel).isCancelled());
    // Yields come every 100 points: two of them, then no more squares.
    EXPECT_LE(image.recording().of(CanvasCall::Rectangle).size(), 3u + 200u);
}

TEST_F(TrackPlotTest, OnePointSlowly) {
    core::NodeId t = track("a");
    doc.AddTrackpoint("10", "20", "", "");
    doc.setFocused(t);
    controls.cbSlow = true;
    controls.cbHeightColor = false;
    std::vector<int> pauses;
    PlotEnv e = env(300, 300);
    e.pause = [&](int ms) { pauses.push_back(ms); };
    ASSERT_TRUE(mPlotpointsClick(data, e).isDone());
    EXPECT_EQ(pauses, std::vector<int>{100});
    // One square at (15, 300 - 15) (drawn again over the last compass) and a
    // compass for the zero-length step.
    auto squares = drawn(CanvasCall::Rectangle, kBlue);
    ASSERT_EQ(squares.size(), 2u);
    EXPECT_TRUE(squares[0] == (std::array<int, 4>{13, 283, 17, 287}));
    EXPECT_FALSE(image.recording().of(CanvasCall::Draw).empty());
    EXPECT_EQ(statusLines.back(), "1 of 1: 10  20");
}
