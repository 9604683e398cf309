#pragma once
// The plot page's canvas: its controls, the scale, the altitude colours, the
// legend and the degree grid every picture starts from, and what the plot
// commands draw on and talk to.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/operation.h"
#include "core/point_list.h"
#include "core/result.h"
#include "host/host.h"
#include "plot/bounds.h"

namespace plot {

// Values of the document's plotMode: which picture the page shows.
enum PlotMode : int {
    kPlotNothing = 0,  // nothing, or out of date
    kPlotTimeWay = 1,
    kPlotTimeHeight = 2,
    kPlotPoints = 4,
    kPlotTimeSpeed = 8,
};

// The controls of the plot page, with their defaults.
struct PlotControls {
    std::string edit1 = "200";  // "maximum height (in meters):"
    bool cbShowHeight = false;  // "Print altitude"
    bool cbHeightColor = true;  // "Altitude in colors"
    bool cbConnect = true;      // "Connect points"
    bool cbShowNames = false;   // "Print names"
    bool cbSlow = false;        // "Plot slowly"
    std::vector<std::string> memo1;  // the hidden debug lines of InitBitmap, the latest last
};

namespace colours {
constexpr host::Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kGrey{128, 128, 128};
constexpr host::Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 128, 0};
constexpr host::Rgb kCompassFace{166, 202, 240}, kCompassBackground{255, 255, 0};
}  // namespace colours

// Everything outside the plot state that a plot command uses.
struct PlotEnv {
    host::Canvas& image;  // Image1's bitmap
    int imageWidth;       // Image1's size
    int imageHeight;
    host::CanvasFactory& canvases;
    const host::LocaleInfo& locale;
    host::Prompts& prompts;
    core::Operation& op;
    std::function<std::string(int)> message;          // the message table
    std::function<void(const std::string&)> status;   // the general status panel
    std::function<void(int ms)> pause = {};           // "Plot slowly": wait this long
    std::function<void()> showPage = {};              // bring the plot page to the front
    std::function<void()> pictureChanged = {};        // the picture grew; the page may repaint
    host::Canvas* compas = nullptr;                    // the simulation page's compass, when there is one
    host::Rgb compasBackground{240, 240, 240};
};

// The document pieces the plot commands read and write.
struct PlotData {
    core::Document& doc;
    core::PointLoader& loader;
    core::PointList& points;
    PlotState& state;
    PlotControls& controls;
    ReportFn report;
};

// Round half to even, kept within a range screen arithmetic cannot overflow.
int RoundPx(long double value);

// The colour of an altitude on the scale from minAlt (blue) through the
// middle (magenta) to maxAlt (red).
host::Rgb GetColor(PlotState& state, int altitude);

// Edit1 read as an integer; none when it is none.
std::optional<int> StrToIntStrict(const std::string& text);
std::string NotAnInteger(const std::string& text);

// Clears the canvas to Image1's size, derives plotScale, draws the altitude
// legend and, for the point plot, the degree grid. Fails when Edit1 holds no
// integer.
core::Result InitBitmap(PlotState& state, PlotControls& controls, int plotMode, host::Canvas& image, int width,
                        int height, const host::LocaleInfo& locale);

// A resize of the window: the picture is out of date and a blank canvas of
// the new size takes its place.
core::Result ResizePlot(core::Document& doc, PlotState& state, PlotControls& controls, host::Canvas& image,
                        int width, int height, const host::LocaleInfo& locale);

// Fixed-point with exactly two decimals and at most 8 significant digits.
std::string FixedTwo(long double value, char decimalSeparator);
// A grid label from a number of tenths of a degree: one decimal, rounded to
// at most three significant digits (152.3 -> "152.0").
std::string GridLabel(long tenths, char decimalSeparator);
// The general number format with the user's decimal separator.
std::string GeneralNumber(long double value, char decimalSeparator);

}  // namespace plot
