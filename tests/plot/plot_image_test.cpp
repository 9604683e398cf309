// The pictures on a real QImage canvas, checked pixel by pixel.

#include <gtest/gtest.h>

#include <QImage>

#include "../core/tree_fixture.h"
#include "../temp_dir.h"
#include "host/qt/qt_canvas.h"
#include "plot/time_diagrams.h"
#include "plot/track_plot.h"

using namespace plot;
using host::Rgb;

namespace {

const Rgb kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlue{0, 0, 255}, kGrey{128, 128, 128};

Rgb at(const QImage& image, int x, int y) {
    QRgb c = image.pixel(x, y);
    return Rgb{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
               static_cast<std::uint8_t>(qBlue(c))};
}

class PlotImageTest : public ::testing::Test, public TreeFixture {
protected:
    PlotState state;
    PlotControls controls;
    host::QtCanvasFactory canvases;
    host::QtCanvas image{1, 1};
    core::Operation op;
    core::PointLoader pointLoader = loader();
    PlotData data{doc, pointLoader, points, state, controls, [](const std::string&) {}};

    PlotEnv env(int w, int h) {
        return PlotEnv{image, w, h, canvases, host.fakeLocale, host.fakePrompts, op,
                       [](int n) { return "message " + std::to_string(n); }, [](const std::string&) {}};
    }
    void addPoint(long double lat, long double lon, long double ele, long double time) {
        core::PointRecord& p = points.append();
        p.lat = lat;
        p.lon = lon;
        p.ele = ele;
        p.time = time;
    }
};

}  // namespace

TEST_F(PlotImageTest, PointPlotLineSquaresAndCompass) {
    doc.NewTrack("a");
    doc.AddTrackpoint("10", "20", "100", "");
    doc.AddTrackpoint("10.9", "21.8", "200", "");
    doc.setFocused(doc.parent(doc.currentSegment));
    PlotEnv e = env(200, 100);
    ASSERT_TRUE(mPlotpointsClick(data, e).isDone());
    const QImage& img = image.image();
    ASSERT_EQ(img.width(), 200);
    // The points sit at (10, 95) and (190, 5); halfway the red line.
    EXPECT_EQ(at(img, 100, 50), kRed);
    EXPECT_EQ(at(img, 8, 95), kBlue);         // the first square's left side: minAlt
    EXPECT_EQ(at(img, 188, 6), kRed);         // the second square's left side: maxAlt
    EXPECT_EQ(at(img, 189, 4), kWhite);       // its inside
    // The compass at (200 - 49 - 10, 20): its face below the centre, its
    // yellow corner left out.
    EXPECT_EQ(at(img, 141 + 24, 20 + 40), (Rgb{166, 202, 240}));
    EXPECT_NE(at(img, 141, 20), (Rgb{255, 255, 0}));
}

TEST_F(PlotImageTest, TimeWayLinesAndPoints) {
    addPoint(52, 5, 0, 40000);
    addPoint(52.1, 5, 0, 40002);
    image.resize(1000, 1000);
    PlotEnv e = env(1000, 1000);
    ASSERT_TRUE(PlotTimeWay(points, state, controls, e).isDone());
    const QImage& img = image.image();
    EXPECT_EQ(at(img, 500, 958), kGrey);  // minute 121's line
    EXPECT_EQ(at(img, 500, 957), kWhite);
    EXPECT_EQ(at(img, 500, 500), kBlue);  // the diagonal from (0, 1000) to (1000, 0)
}

TEST_F(PlotImageTest, TimeHeightDoubledZeroLine) {
    addPoint(0, 0, 10, 0);
    addPoint(0, 0.001, 120, 0);
    state.minAlt = 10;
    state.maxAlt = 120;
    image.resize(1000, 1000);
    PlotEnv e = env(1000, 1000);
    ASSERT_TRUE(PlotTimeHeight(points, state, controls, e).isDone());
    const QImage& img = image.image();
    EXPECT_EQ(at(img, 500, 800), kGrey);
    EXPECT_EQ(at(img, 500, 799), kGrey);
    EXPECT_EQ(at(img, 500, 801), kWhite);
    EXPECT_EQ(at(img, 500, 798), kWhite);
    // The last point's square at (1000, 320) in maxAlt's colour.
    EXPECT_EQ(at(img, 998, 319), kRed);
}

TEST_F(PlotImageTest, TimeSpeedSquare) {
    constexpr long double kSecond = 1.0L / 86400;
    addPoint(0, 0, 0, 40000);
    addPoint(0, 0.001, 0, 40000 + 10 * kSecond);
    addPoint(0, 0.002, 0, 40002 + 10 * kSecond);
    image.resize(1000, 1000);
    PlotEnv e = env(1000, 1000);
    ASSERT_TRUE(PlotTimeSpeed(points, state, controls, e).isDone());
    const QImage& img = image.image();
    // The second point at (500, 499): top side of its square, and inside.
    EXPECT_EQ(at(img, 501, 497), kBlue);
    EXPECT_EQ(at(img, 499, 498), kWhite);
    EXPECT_EQ(at(img, 300, 750), kGrey);  // the 5 km/h line
}

TEST_F(PlotImageTest, SavedBitmapReadsBack) {
    TempDir dir;
    image.resize(30, 20);
    image.setPixel(3, 4, kRed);
    for (auto [name, format] : {std::pair{"p.bmp", host::ImageFormat::Bmp}, std::pair{"p.png", host::ImageFormat::Png}}) {
        ASSERT_EQ(image.save(dir.file(name), format), "") << name;
        QImage back(QString::fromStdString(dir.file(name)));
        ASSERT_EQ(back.size(), QSize(30, 20)) << name;
        EXPECT_EQ(at(back, 3, 4), kRed);
        EXPECT_EQ(at(back, 4, 4), kWhite);
    }
    EXPECT_NE(image.save(dir.file("missing/p.bmp"), host::ImageFormat::Bmp), "");
}
