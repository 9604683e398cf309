#include "map/map_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plot/plot_canvas.h"

namespace map {

using namespace colours;

namespace {

constexpr double kGridMinPx = 100;
constexpr int kMaxGridLines = 200;
constexpr double kClipMarginPx = 16;  // lines are cut a little outside the picture, out of sight of their caps
constexpr int kMaxCopies = 3;         // of the world side by side, at the lowest zoom in a wide window

// Cuts the segment to the box (Liang–Barsky); false when nothing is left.
bool clip(double& x1, double& y1, double& x2, double& y2, double lo, double hiX, double hiY) {
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x1 - lo, hiX - x1, y1 - lo, hiY - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = ax;
    y1 = ay;
    return true;
}

int px(double v) { return static_cast<int>(std::lround(v)); }

class Painter {
public:
    Painter(host::Canvas& c, MapPicture& p) : c_(c), p_(p), v_(p.view) {
        vis_ = v_.visible();
        const double margin = kClipMarginPx / WorldPixels(v_.zoom());
        vis_.minX -= margin;
        vis_.minY -= margin;
        vis_.maxX += margin;
        vis_.maxY += margin;
    }

    // The whole turns by which the box must move to be seen (the world's copies).
    std::vector<int> copies(const WorldBox& b) const {
        std::vector<int> out;
        if (b.empty()) return out;
        const int from = std::max(-kMaxCopies, static_cast<int>(std::floor(vis_.minX - b.maxX)));
        const int to = std::min(kMaxCopies, static_cast<int>(std::ceil(vis_.maxX - b.minX)));
        for (int k = from; k <= to; ++k) {
            WorldBox moved{b.minX + k, b.minY, b.maxX + k, b.maxY};
            if (moved.intersects(vis_)) out.push_back(k);
        }
        return out;
    }

    void segment(WorldPoint a, WorldPoint b, int turn) {
        double x1 = v_.screenX(a.x + turn), y1 = v_.screenY(a.y), x2 = v_.screenX(b.x + turn), y2 = v_.screenY(b.y);
        if (!clip(x1, y1, x2, y2, -kClipMarginPx, c_.width() + kClipMarginPx, c_.height() + kClipMarginPx)) return;
        c_.line(px(x1), px(y1), px(x2), px(y2));
    }

    void background() {
        c_.fillRect(0, 0, c_.width(), c_.height(), kBackground);
        const std::vector<PlacedTile> placed = v_.tiles();
        bool complete = p_.tiles != nullptr;
        for (const PlacedTile& t : placed) complete = complete && p_.tiles->image(t.tile);
        // The grid shows where tiles are missing: all of it without a network.
        if (!complete) grid();
        if (!p_.tiles) return;
        for (const PlacedTile& t : placed)
            if (const host::Canvas* image = p_.tiles->image(t.tile)) {
                c_.draw(t.left, t.top, *image, std::nullopt);
                tilesShown_ = true;
            }
    }

    void grid() {
        const double step = GridStepDeg(v_.zoom());
        c_.setPen(kGrid, 1);
        c_.setBrush(kBackground);
        c_.setFontColour(kGridText);
        const WorldBox seen = v_.visible();
        const double lonLeft = seen.minX * 360 - 180, lonRight = seen.maxX * 360 - 180;
        long long first = static_cast<long long>(std::ceil(lonLeft / step));
        for (long long k = first; k * step <= lonRight && k - first < kMaxGridLines; ++k) {
            const double lon = k * step;
            const int x = px(v_.screenX((lon + 180) / 360));
            c_.line(x, 0, x, c_.height());
            double shown = std::remainder(lon, 360.0);  // -180 .. 180
            if (shown == 180) shown = -180;
            c_.text(x + 3, 2, GridLabelDeg(shown, step, p_.decimalSeparator));
        }
        const double latTop = Unproject({0, std::clamp(seen.minY, 0.0, 1.0)}).latDeg;
        const double latBottom = Unproject({0, std::clamp(seen.maxY, 0.0, 1.0)}).latDeg;
        first = static_cast<long long>(std::ceil(latBottom / step));
        for (long long k = first; k * step <= latTop && k - first < kMaxGridLines; ++k) {
            const double lat = k * step;
            const int y = px(v_.screenY(Project(lat, 0).y));
            c_.line(0, y, c_.width(), y);
            c_.text(3, y + 2, GridLabelDeg(lat, step, p_.decimalSeparator));
        }
    }

    void tracks() {
        for (size_t i = 0; i < p_.data->tracks.size(); ++i) {
            TrackLine& t = p_.data->tracks[i];
            const bool halo = p_.highlight.track == static_cast<int>(i);
            for (int turn : copies(t.box)) {
                if (halo) track(t, turn, true);
                track(t, turn, false);
            }
        }
    }

    void track(TrackLine& t, int turn, bool halo) {
        const TrackLine::Kept& kept = t.keptAt(v_.zoom());
        const WorldBox here{vis_.minX - turn, vis_.minY, vis_.maxX - turn, vis_.maxY};
        if (kept.index.size() == 1) {
            const WorldPoint a = t.points[kept.index[0]];
            c_.setPen(plot::GetColor(p_.altitudes, static_cast<int>(std::lround(t.altitudeM[kept.index[0]]))),
                      halo ? kHaloWidth : kTrackWidth);
            segment(a, a, turn);
        }
        if (halo) c_.setPen(kHighlight, kHaloWidth);
        for (size_t c = 0; c < kept.chunks.size(); ++c) {
            if (!kept.chunks[c].intersects(here)) continue;
            const size_t end = std::min((c + 1) * kChunkPoints, kept.index.size() - 1);
            for (size_t j = c * kChunkPoints; j < end; ++j) {
                const std::uint32_t a = kept.index[j], b = kept.index[j + 1];
                if (!halo) {
                    // The colour of where the segment starts, as the point plot colours its squares.
                    const int altitude = static_cast<int>(std::lround(t.altitudeM[a]));
                    c_.setPen(plot::GetColor(p_.altitudes, altitude), kTrackWidth);
                }
                segment(t.points[a], t.points[b], turn);
            }
        }
    }

    void routes() {
        for (size_t i = 0; i < p_.data->routes.size(); ++i) {
            const RouteLine& r = p_.data->routes[i];
            for (int turn : copies(r.box)) {
                if (p_.highlight.route == static_cast<int>(i)) {
                    c_.setPen(kHighlight, kHaloWidth);
                    for (size_t j = 0; j + 1 < r.points.size(); ++j) segment(r.points[j].at, r.points[j + 1].at, turn);
                }
                c_.setPen(kRoute, kRouteWidth);
                for (size_t j = 0; j + 1 < r.points.size(); ++j) segment(r.points[j].at, r.points[j + 1].at, turn);
                for (const NamedPoint& p : r.points) named(p, turn, kRoute, false);
            }
        }
    }

    void waypoints() {
        WorldBox all;
        for (const NamedPoint& w : p_.data->waypoints) all.add(w.at);
        for (int turn : copies(all))
            for (const NamedPoint& w : p_.data->waypoints) named(w, turn, kWaypoint, true);
    }

    // A point's mark and its name beside it, when it is in sight.
    void named(const NamedPoint& p, int turn, host::Rgb colour, bool round) {
        const double x = v_.screenX(p.at.x + turn), y = v_.screenY(p.at.y);
        if (x < -kClipMarginPx || y < -kClipMarginPx || x > c_.width() + kClipMarginPx ||
            y > c_.height() + kClipMarginPx)
            return;
        const int ix = px(x), iy = px(y);
        c_.setPen(round ? kWhite : colour, 1);
        c_.setBrush(round ? colour : kWhite);
        if (round)
            c_.ellipse(ix - 5, iy - 5, ix + 6, iy + 6);
        else
            c_.rectangle(ix - 3, iy - 3, ix + 4, iy + 4);
        if (p.name.empty() || labels_ >= kMaxLabels) return;
        ++labels_;
        c_.setBrush(kWhite);
        c_.setFontColour(kBlack);
        c_.text(ix + 7, iy - 7, p.name);
    }

    void disc(WorldPoint at, host::Rgb fill, host::Rgb outline, int radius) {
        for (int turn : copies(WorldBox{at.x, at.y, at.x, at.y})) {
            const int x = px(v_.screenX(at.x + turn)), y = px(v_.screenY(at.y));
            c_.setPen(outline, 2);
            c_.setBrush(fill);
            c_.ellipse(x - radius, y - radius, x + radius + 1, y + radius + 1);
        }
    }

    void marks() {
        size_t n = 0;
        for (const auto* list : {&p_.highlight.points, &p_.marked})
            for (WorldPoint at : *list)
                if (n++ < kMaxMarks) disc(at, kHighlight, kBlack, kMarkRadius);
    }

    void attribution() {
        if (!tilesShown_ || p_.attribution.empty()) return;
        const int w = c_.textWidth(p_.attribution);
        c_.setBrush(kWhite);
        c_.setFontColour(kBlack);
        c_.text(c_.width() - w - 4, c_.height() - 16, p_.attribution);
    }

private:
    host::Canvas& c_;
    MapPicture& p_;
    const MapView& v_;
    WorldBox vis_;  // the picture on the square, with the clip margin
    bool tilesShown_ = false;
    int labels_ = 0;
};

}  // namespace

double GridStepDeg(int zoom) {
    static constexpr double kSteps[] = {0.0001, 0.0002, 0.0005, 0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1,
                                        0.2,    0.5,    1,      2,     5,     10,    15,   30,   45,   90};
    const double pxPerDeg = WorldPixels(zoom) / 360;
    for (double s : kSteps)
        if (s * pxPerDeg >= kGridMinPx) return s;
    return 90;
}

std::string GridLabelDeg(double degrees, double step, char decimalSeparator) {
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, degrees);
    std::string text = buf;
    if (text.find_first_not_of("-0.") == std::string::npos) text = text.substr(text[0] == '-');  // no "-0"
    for (char& ch : text)
        if (ch == '.') ch = decimalSeparator;
    return text + "\xC2\xB0";
}

void DrawMap(host::Canvas& canvas, MapPicture& picture) {
    Painter p(canvas, picture);
    p.background();
    if (picture.data) {
        p.tracks();
        p.routes();
        p.marks();
        p.waypoints();
    } else {
        p.marks();
    }
    if (picture.live) p.disc(*picture.live, kLive, kWhite, 7);
    p.attribution();
}

}  // namespace map
