#include "plot/plot_canvas.h"

#include <cmath>
#include <cstdio>

#include "core/fn.h"

namespace plot {

namespace {

constexpr int kMaxGridLines = 10000;  // per direction, whatever the scale
constexpr long double kMinScale = 0.0001L;  // degrees per pixel of a range without extent
constexpr size_t kMemoLines = 200;
constexpr int kLegendFromRight = 60;

long double orMinimum(long double v) { return v == 0 ? kMinScale : v; }

void addMemo(PlotControls& c, std::string line) {
    if (c.memo1.size() >= kMemoLines) c.memo1.erase(c.memo1.begin());
    c.memo1.push_back(std::move(line));
}

void widenAltitudes(PlotState& s) {
    if (s.minAlt == s.maxAlt) s.maxAlt = s.minAlt + 2;
}

void drawLegend(PlotState& s, host::Canvas& image) {
    using namespace colours;
    const int r = image.width() - kLegendFromRight, h = image.height();
    struct Entry {
        int altitude, squareTop, textTop;
    };
    const Entry entries[] = {{s.minAlt, h - 12, h - 17},
                             {(s.maxAlt - s.minAlt) / 2 + s.minAlt, h - 24, h - 29},
                             {s.maxAlt, h - 36, h - 41}};
    for (const auto& e : entries) {
        image.setPen(GetColor(s, e.altitude), 1);
        image.setBrush(kWhite);
        image.rectangle(r - 2, e.squareTop, r + 2, e.squareTop + 4);
        image.setFontColour(kBlack);
        image.text(r + 10, e.textTop, std::to_string(e.altitude) + " m");
    }
}

void drawGrid(const PlotState& s, host::Canvas& image, char sep) {
    using namespace colours;
    const int w = image.width(), h = image.height();
    const int mx = RoundPx(w * 0.05L), my = RoundPx(h * 0.05L);
    image.setBrush(kWhite);
    image.setFontColour(kBlack);
    // One line per tenth of a degree, twice as wide on whole degrees.
    long l = RoundPx(s.minLon * 10);
    int x = 0, lines = 0;
    do {
        x = RoundPx((l / 10.0L - s.minLon) / s.plotScale) + mx;
        image.setPen(kGrey, l % 10 == 0 ? 2 : 1);
        image.line(x, 0, x, h);
        image.text(x - 5, 5, GridLabel(l % 3600 > 1800 ? l % 3600 - 3600 : l % 3600, sep));
        ++l;
    } while (x < w && ++lines < kMaxGridLines);
    long m = RoundPx(s.minLat * 10);
    int y = 0;
    lines = 0;
    do {
        y = h - my - RoundPx((m / 10.0L - s.minLat) / s.plotScale);
        image.setPen(kGrey, m % 10 == 0 ? 2 : 1);
        image.line(0, y, w, y);
        image.text(2, y - 7, GridLabel(m, sep));
        ++m;
    } while (y > 0 && ++lines < kMaxGridLines);
    long double maxX = core::DistanceKm(s.maxLat, s.minLon, s.maxLat, s.maxLon);
    long double maxY = core::DistanceKm(s.minLat, s.maxLon, s.maxLat, s.maxLon);
    image.text(30, h - 25, "Max X: " + FixedTwo(maxX, sep) + " km");
    image.text(30, h - 12, "Max Y: " + FixedTwo(maxY, sep) + " km");
}

}  // namespace

int RoundPx(long double value) {
    constexpr long double kLimit = 100000000;  // far beyond any bitmap
    if (!(value > -kLimit)) return -100000000;  // also NaN
    if (value > kLimit) return 100000000;
    return static_cast<int>(core::RoundHalfEven(value));
}

host::Rgb GetColor(PlotState& s, int altitude) {
    widenAltitudes(s);
    long long a = (static_cast<long long>(altitude) - s.minAlt) * 510 /
                  (static_cast<long long>(s.maxAlt) - s.minAlt);
    long long bgr = a <= 255 ? 16711680 + a : 16711935 - ((a - 255) & 255) * 65536;
    // Far below the range the number leaves 24 bits; only colour bits count.
    bgr &= 0xFFFFFF;
    return host::Rgb{static_cast<std::uint8_t>(bgr & 255), static_cast<std::uint8_t>((bgr >> 8) & 255),
                     static_cast<std::uint8_t>((bgr >> 16) & 255)};
}

std::optional<int> StrToIntStrict(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size()) return std::nullopt;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = v * 10 + (text[i] - '0');
        if (v > 2147483648LL) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return std::nullopt;
    return static_cast<int>(v);
}

std::string NotAnInteger(const std::string& text) { return "'" + text + "' is not a valid integer value"; }

core::Result InitBitmap(PlotState& s, PlotControls& c, int plotMode, host::Canvas& image, int width, int height,
                        const host::LocaleInfo& locale) {
    using namespace colours;
    image.resize(width, height);
    image.setBrush(kWhite);
    image.setFontColour(kBlack);
    image.fillRect(0, 0, image.width(), image.height(), kWhite);
    widenAltitudes(s);
    std::optional<int> maxHeight = StrToIntStrict(c.edit1);
    if (!maxHeight) return core::Result::failed(NotAnInteger(c.edit1));
    if (*maxHeight < s.maxAlt) c.edit1 = std::to_string((s.maxAlt / 10 + 1) * 10);

    const int w = image.width(), h = image.height();
    long double xpp = (s.maxLon - s.minLon) / (w * 0.9L);
    if (s.maxLon < s.minLon) xpp = (s.maxLon + 360 - s.minLon) / (w * 0.9L);
    long double ypp = (s.maxLat - s.minLat) / (h * 0.9L);
    xpp = orMinimum(xpp);
    ypp = orMinimum(ypp);
    s.plotScale = xpp > ypp ? xpp : ypp;
    const char sep = locale.decimalSeparator();
    addMemo(c, " xpp: " + GeneralNumber(xpp, sep) + " ypp: " + GeneralNumber(ypp, sep));

    if (c.cbHeightColor) drawLegend(s, image);
    if (plotMode == kPlotPoints) drawGrid(s, image, sep);
    return core::Result::done();
}

core::Result ResizePlot(core::Document& doc, PlotState& s, PlotControls& c, host::Canvas& image, int width,
                        int height, const host::LocaleInfo& locale) {
    doc.plotMode = kPlotNothing;
    return InitBitmap(s, c, kPlotNothing, image, width, height, locale);
}

std::string FixedTwo(long double value, char sep) {
    if (!std::isfinite(value)) return GeneralNumber(value, sep);
    long double a = std::fabs(value);
    int intDigits = a < 1 ? 1 : static_cast<int>(std::floor(std::log10(a))) + 1;
    if (intDigits > 8) return GeneralNumber(value, sep);
    int decimals = intDigits > 6 ? 8 - intDigits : 2;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Lf", decimals, value);
    std::string t = buf;
    if (decimals == 0) t += ".";
    for (int d = decimals; d < 2; ++d) t += "0";
    for (char& ch : t)
        if (ch == '.') ch = sep;
    return t;
}

std::string GridLabel(long tenths, char sep) {
    long a = tenths < 0 ? -tenths : tenths;
    std::string sign = tenths < 0 ? "-" : "";
    if (a >= 1000) return sign + std::to_string((a + 5) / 10) + sep + "0";
    return sign + std::to_string(a / 10) + sep + std::to_string(a % 10);
}

std::string GeneralNumber(long double value, char sep) {
    return core::ToLocalDecimal(core::FloatToStrGeneral(value), sep);
}

}  // namespace plot
