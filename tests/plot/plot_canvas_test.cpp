#include "plot/plot_canvas.h"

#include "plot_fixture.h"

using namespace plot;
using host::CanvasCall;
using host::Rgb;

class PlotCanvasTest : public ::testing::Test, public PlotFixture {};

TEST_F(PlotCanvasTest, GetColorAlongTheAltitudeScale) {
    state.minAlt = 0;
    state.maxAlt = 100;
    // a = (alt - 0) * 510 div 100; colour B*65536 + G*256 + R worked by hand.
    struct Row {
        int altitude;
        Rgb colour;
    } rows[] = {
        {0, {0, 0, 255}},        // a 0: 0xFF0000, pure blue
        {25, {127, 0, 255}},     // a 127
        {50, {255, 0, 255}},     // a 255: magenta
        {75, {255, 0, 128}},     // a 382: 0xFF00FF - 127 * 65536
        {100, {255, 0, 0}},      // a 510: pure red
        {-10, {205, 255, 254}},  // a -51: 0xFF0000 - 51 = 0xFEFFCD
        {150, {255, 0, 1}},      // a 765: (765 - 255) mod 256 = 254; 0xFF00FF - 0xFE0000
    };
    for (const auto& r : rows) EXPECT_EQ(GetColor(state, r.altitude), r.colour) << r.altitude;
}

TEST_F(PlotCanvasTest, GetColorWidensAnEmptyRange) {
    state.minAlt = state.maxAlt = 7;
    EXPECT_EQ(GetColor(state, 9), (Rgb{255, 0, 0}));
    EXPECT_EQ(state.maxAlt, 9);
}

TEST_F(PlotCanvasTest, LegendSquaresAndTexts) {
    state.minAlt = 100;
    state.maxAlt = 200;
    ASSERT_TRUE(InitBitmap(state, controls, kPlotNothing, image, 200, 100, host.fakeLocale).isDone());
    // r = 200 - 60 = 140, h = 100; the middle altitude is 100 div 2 + 100.
    auto squares = image.recording().of(CanvasCall::Rectangle);
    ASSERT_EQ(squares.size(), 3u);
    EXPECT_TRUE(squares[0] == (std::array<int, 4>{138, 88, 142, 92}));
    EXPECT_EQ(squares[0].pen, (Rgb{0, 0, 255}));
    EXPECT_TRUE(squares[1] == (std::array<int, 4>{138, 76, 142, 80}));
    EXPECT_EQ(squares[1].pen, (Rgb{255, 0, 255}));
    EXPECT_TRUE(squares[2] == (std::array<int, 4>{138, 64, 142, 68}));
    EXPECT_EQ(squares[2].pen, (Rgb{255, 0, 0}));
    for (const auto& s : squares) EXPECT_EQ(s.brush, (Rgb{255, 255, 255}));
    ASSERT_NE(textCall("100 m"), nullptr);
    EXPECT_EQ(textCall("100 m")->x1, 150);
    EXPECT_EQ(textCall("100 m")->y1, 83);
    EXPECT_EQ(textCall("150 m")->y1, 71);
    EXPECT_EQ(textCall("200 m")->y1, 59);
    // No grid outside the point plot.
    EXPECT_TRUE(image.recording().of(CanvasCall::Line).empty());
}

TEST_F(PlotCanvasTest, ScaleFromTheLargerSpanAndTheAntimeridian) {
    struct Row {
        const char* name;
        long double minLat, maxLat, minLon, maxLon;
        long double scale;  // degrees per pixel on 1000 x 500 (90 % of it: 900 x 450)
    } rows[] = {
        {"longitude wider", 50, 50.45, 4, 13, 9.0L / 900},
        {"latitude wider", 50, 59, 4, 4.45, 9.0L / 450},
        {"a single point", 50, 50, 4, 4, 0.0001L},
        {"across 180 degrees", 0, 1, 181, 179, 358.0L / 900},
    };
    for (const auto& r : rows) {
        state.minLat = r.minLat;
        state.maxLat = r.maxLat;
        state.minLon = r.minLon;
        state.maxLon = r.maxLon;
        ASSERT_TRUE(InitBitmap(state, controls, kPlotNothing, image, 1000, 500, host.fakeLocale).isDone());
        EXPECT_NEAR(static_cast<double>(state.plotScale), static_cast<double>(r.scale), 1e-12) << r.name;
    }
    EXPECT_EQ(controls.memo1.size(), 4u);
    EXPECT_EQ(controls.memo1[2], " xpp: 0.0001 ypp: 0.0001");
}

TEST_F(PlotCanvasTest, DegreeGridLinesWidthsAndLabels) {
    // 0.45 degrees over 900 pixels: 0.0005 degrees per pixel, a tenth of a
    // degree every 200 pixels; margins 50.
    state.minLat = 50.03;
    state.maxLat = 50.48;
    state.minLon = 4.92;
    state.maxLon = 5.37;
    state.minAlt = 0;
    state.maxAlt = 10;
    controls.cbHeightColor = false;
    host.fakeLocale.separator = ',';
    ASSERT_TRUE(InitBitmap(state, controls, kPlotPoints, image, 1000, 1000, host.fakeLocale).isDone());
    std::vector<CanvasCall> vertical, horizontal;
    for (const auto& c : drawn(CanvasCall::Line, Rgb{128, 128, 128}))
        (c.x1 == c.x2 ? vertical : horizontal).push_back(c);
    // Longitude tenths 49..54: x = (l/10 - 4.92) / 0.0005 + 50; the last one
    // lies past the right edge and ends the loop.
    const int xs[] = {10, 210, 410, 610, 810, 1010};
    const int xWidths[] = {1, 2, 1, 1, 1, 1};
    ASSERT_EQ(vertical.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_TRUE(vertical[i] == (std::array<int, 4>{xs[i], 0, xs[i], 1000})) << i;
        EXPECT_EQ(vertical[i].penWidth, xWidths[i]) << i;
    }
    // Latitude tenths 500..506: y = 1000 - 50 - (m/10 - 50.03) / 0.0005; the
    // first (below the bottom) is drawn, the loop ends after the first y <= 0.
    const int ys[] = {1010, 810, 610, 410, 210, 10, -190};
    ASSERT_EQ(horizontal.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_TRUE(horizontal[i] == (std::array<int, 4>{0, ys[i], 1000, ys[i]})) << i;
        EXPECT_EQ(horizontal[i].penWidth, i == 0 ? 2 : 1) << i;
    }
    ASSERT_NE(textCall("5,0"), nullptr);
    EXPECT_EQ(textCall("5,0")->x1, 205);
    EXPECT_EQ(textCall("5,0")->y1, 5);
    ASSERT_NE(textCall("50,1"), nullptr);
    EXPECT_EQ(textCall("50,1")->x1, 2);
    EXPECT_EQ(textCall("50,1")->y1, 803);
    // Great-circle lengths on the 6378.137 km sphere, worked out separately.
    ASSERT_NE(textCall("Max X: 31,88 km"), nullptr);
    EXPECT_EQ(textCall("Max X: 31,88 km")->y1, 975);
    ASSERT_NE(textCall("Max Y: 50,09 km"), nullptr);
    EXPECT_EQ(textCall("Max Y: 50,09 km")->x1, 30);
    EXPECT_EQ(textCall("Max Y: 50,09 km")->y1, 988);
}

TEST_F(PlotCanvasTest, GridLoopsAreBounded) {
    // 0.0001 degrees per pixel over 360 degrees would need millions of lines.
    state.minLat = -80;
    state.maxLat = 80;
    state.minLon = 0;
    state.maxLon = 0;
    state.plotScale = 0;
    ASSERT_TRUE(InitBitmap(state, controls, kPlotPoints, image, 100000, 10, host.fakeLocale).isDone());
    auto lines = drawn(CanvasCall::Line, Rgb{128, 128, 128});
    EXPECT_LE(lines.size(), 20000u);
}

TEST_F(PlotCanvasTest, Edit1RisesAboveTheHighestAltitude) {
    state.minAlt = 10;
    state.maxAlt = 437;
    ASSERT_TRUE(InitBitmap(state, controls, kPlotNothing, image, 100, 100, host.fakeLocale).isDone());
    EXPECT_EQ(controls.edit1, "440");
    controls.edit1 = "500";
    ASSERT_TRUE(InitBitmap(state, controls, kPlotNothing, image, 100, 100, host.fakeLocale).isDone());
    EXPECT_EQ(controls.edit1, "500");
}

TEST_F(PlotCanvasTest, Edit1ThatIsNoIntegerFails) {
    for (const char* text : {"abc", "", "12.5", "9999999999", "1 2"}) {
        controls.edit1 = text;
        core::Result r = InitBitmap(state, controls, kPlotNothing, image, 100, 100, host.fakeLocale);
        ASSERT_TRUE(r.isFailed()) << text;
        EXPECT_EQ(r.message(), "'" + std::string(text) + "' is not a valid integer value");
    }
    for (const char* text : {" 200", "-5", "+7"}) EXPECT_TRUE(StrToIntStrict(text).has_value()) << text;
}

TEST_F(PlotCanvasTest, ResizeLeavesAnOutOfDatePicture) {
    doc.plotMode = kPlotPoints;
    ASSERT_TRUE(ResizePlot(doc, state, controls, image, 640, 480, host.fakeLocale).isDone());
    EXPECT_EQ(doc.plotMode, kPlotNothing);
    EXPECT_EQ(image.width(), 640);
    EXPECT_EQ(image.height(), 480);
    EXPECT_TRUE(image.recording().of(CanvasCall::Line).empty());
}

TEST(PlotNumbers, FixedTwoAndGridLabels) {
    struct Fixed {
        long double value;
        const char* text;
    } fixed[] = {{0, "0.00"}, {111.3195L, "111.32"}, {31.877L, "31.88"}, {-2.5L, "-2.50"},
                 {1234567.891L, "1234567.90"}, {12345678.4L, "12345678.00"}};
    for (const auto& f : fixed) EXPECT_EQ(FixedTwo(f.value, '.'), f.text);
    EXPECT_EQ(FixedTwo(5.25L, ','), "5,25");
    struct Label {
        long tenths;
        const char* text;
    } labels[] = {{52, "5.2"}, {0, "0.0"}, {-3, "-0.3"}, {-52, "-5.2"}, {999, "99.9"}, {1523, "152.0"},
                  {1525, "153.0"}, {3599, "360.0"}};
    for (const auto& l : labels) EXPECT_EQ(GridLabel(l.tenths, '.'), l.text) << l.tenths;
}
